#include "game/world/stage_file.h"

#include <string>

#include "game/world/reset.h"
#include "stagefile/count.h"

namespace vorne {
namespace {

// Reads one count line into stage_rows; the line read is the count line of
// stage number `stage`. stage_rows is set to 0 when the count is rejected.
std::optional<StageError> read_count(World& w, stagefile::Reader& reader, int32_t stage) {
    const auto error = [&](std::string problem) {
        w.stage_rows = 0;
        return StageError{reader.path(), stage, reader.lines_read(), std::move(problem)};
    };
    std::string line;
    if (!reader.read_line(line, count_line_byte_limit)) {
        if (reader.read_failed()) return error("the file could not be read");
        return error("the file ends where the stage's row count should be");
    }
    if (reader.line_truncated()) {
        return error("the row count line is longer than " + std::to_string(count_line_byte_limit) +
                     " bytes");
    }
    const int64_t count = stagefile::lenient_count(line);
    if (count < 0) return error("the row count " + std::to_string(count) + " is negative");
    if (count > grid_capacity) {
        return error("the row count " + std::to_string(count) + " is more than 400");
    }
    w.stage_rows = static_cast<int32_t>(count);
    return std::nullopt;
}

}  // namespace

std::string default_stage_file_path(const std::string& program_folder) {
    if (program_folder.empty()) return "map.dat";
    if (program_folder.back() == '/') return program_folder + "map.dat";
    return program_folder + "/map.dat";
}

std::optional<StageError> open_stage_file(World& world, stagefile::Reader& reader,
                                          const std::string& path) {
    std::string reason;
    if (!reader.open(path, &reason)) {
        world.stage_file_open = 1;
        // The reader's message starts with the path; keep only the reason.
        const std::string prefix = path + ": ";
        if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
        return StageError{path, 0, 0, "cannot be opened (" + reason + ")"};
    }
    return start_stage_file(world, reader);
}

std::optional<StageError> start_stage_file(World& world, stagefile::Reader& reader) {
    world.stage_file_open = 1;
    const std::string& path = reader.path();
    // A text editor may start a UTF-8 file with a byte order mark: it is not
    // part of the first count line.
    reader.skip_byte_order_mark();
    if (reader.at_end()) {
        if (reader.read_failed()) return StageError{path, 0, 0, "cannot be read"};
        return StageError{path, 0, 0, "the file is empty: it holds no stage"};
    }
    // A file with line feeds but not one carriage return was written with
    // Linux line ends: read as the game reads, it would be one long line.
    bool has_cr = false, has_lf = false;
    if (reader.scan_line_ends(has_cr, has_lf) && has_lf && !has_cr) {
        return StageError{path, 0, 0,
                          "its lines end in LF alone (as a file saved on Linux); stage files "
                          "need CR LF line ends"};
    }
    return read_count(world, reader, 1);
}

void mapload_cancelled(World& world) {
    world.stage_file_open = 1;
}

NextCount read_next_count(World& world, stagefile::Reader& reader) {
    NextCount next;
    if (reader.at_end()) {
        if (reader.read_failed()) {
            next.error =
                StageError{reader.path(), world.stage_number + 1, 0, "the file could not be read"};
        } else {
            next.end_of_file = true;
        }
        return next;
    }
    next.error = read_count(world, reader, world.stage_number + 1);
    return next;
}

void reject_stage_file(World& world, stagefile::Reader& reader) {
    reader.close();
    reset_game(world);
    world.stage_rows = 0;
    world.row_length = 0;
    world.screen_timer = 0;
}

}  // namespace vorne
