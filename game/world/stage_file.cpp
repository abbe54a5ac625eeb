#include "game/world/stage_file.h"

#include <string>
#include <string_view>
#include <vector>

#include "game/world/reset.h"
#include "stagefile/blocks.h"

namespace vorne {
namespace {

// A refusal of the file's reading rules as the game reports it: at the count
// line of stage number `stage`, or about the file as a whole (line 0).
StageError refused(const stagefile::Reader& reader, int32_t stage,
                   const stagefile::Refusal& refusal) {
    return StageError{reader.path(), refusal.line == 0 ? 0 : stage, refusal.line, refusal.problem};
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
        // The reader's message starts with the path; keep only the reason,
        // so that the message reads as the check's and the editor's.
        const std::string prefix = path + ": ";
        if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
        return StageError{path, 0, 0, reason};
    }
    return start_stage_file(world, reader);
}

std::optional<StageError> start_stage_file(World& world, stagefile::Reader& reader) {
    world.stage_file_open = 1;
    int32_t rows = 0;
    const auto refusal = stagefile::read_playable_first_count(reader, rows);
    world.stage_rows = rows;
    if (refusal) return refused(reader, 1, *refusal);
    return std::nullopt;
}

void mapload_cancelled(World& world) {
    world.stage_file_open = 1;
}

NextCount read_next_count(World& world, stagefile::Reader& reader) {
    NextCount next;
    int32_t rows = world.stage_rows;
    const auto refusal = stagefile::read_next_count(reader, next.end_of_file, rows);
    if (next.end_of_file) return next;
    world.stage_rows = rows;
    if (refusal) next.error = refused(reader, world.stage_number + 1, *refusal);
    return next;
}

std::optional<StageError> skip_to_stage(World& world, stagefile::Reader& reader, int32_t stage) {
    std::string line;
    std::vector<std::string_view> cells;
    while (world.stage_number < stage) {
        for (int32_t r = 1; r <= world.stage_rows; ++r) {
            if (auto refusal = stagefile::read_row(reader, r, world.stage_rows, line, cells))
                return StageError{reader.path(), world.stage_number, refusal->line,
                                  std::move(refusal->problem)};
        }
        NextCount next = read_next_count(world, reader);
        if (next.error) return next.error;
        if (next.end_of_file)
            return StageError{reader.path(), 0, 0,
                              missing_stage_problem(world.stage_number, stage)};
        world.stage_number += 1;
    }
    return std::nullopt;
}

std::string missing_stage_problem(int32_t stages, int32_t wanted) {
    return "the file holds " + std::to_string(stages) + (stages == 1 ? " stage" : " stages") +
           ", so there is no stage " + std::to_string(wanted);
}

void reject_stage_file(World& world, stagefile::Reader& reader) {
    reader.close();
    reset_game(world);
    world.stage_rows = 0;
    world.row_length = 0;
    world.screen_timer = 0;
}

}  // namespace vorne
