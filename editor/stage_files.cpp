#include "editor/stage_files.h"

#include <sys/stat.h>

#include "stagefile/chars.h"
#include "stagefile/reader.h"

namespace vorne::editor {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

int64_t parse_row_count(std::string_view line) {
    while (!line.empty() && is_blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back()))
        line.remove_suffix(1);
    bool negative = false;
    if (!line.empty() && (line.front() == '+' || line.front() == '-')) {
        negative = line.front() == '-';
        line.remove_prefix(1);
    }
    if (line.empty()) return -1;
    int64_t value = 0;
    for (char c : line) {
        if (c < '0' || c > '9') return -1;
        // Anything past a few digits is far beyond any stage: stop counting.
        if (value < 1000000) value = value * 10 + (c - '0');
    }
    if (negative && value != 0) return -1;
    return value;
}

bool read_stage_file(const std::string& path, LoadedStage& stage, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = path + ": is a folder, not a stage file";
        return false;
    }
    stagefile::Reader reader;
    if (!reader.open(path, &error)) return false;

    std::string line;
    if (!reader.read_line(line)) {
        error = path + ": the file is empty; it should start with the number of rows";
        return false;
    }
    const int64_t count = parse_row_count(line);
    if (count < 0 || count > kMaxCells) {
        error = path + ", line 1: the row count \"" + line + "\" is not a number from 0 to " +
                std::to_string(kMaxCells);
        return false;
    }

    LoadedStage loaded;
    loaded.height = static_cast<int32_t>(count);
    for (int32_t y = 1; y <= loaded.height; ++y) {
        if (!reader.read_line(line)) {
            error = path + ": the file ends after " + std::to_string(y - 1) + " of the " +
                    std::to_string(loaded.height) + " rows its first line announces";
            return false;
        }
        const std::vector<std::string_view> characters = stagefile::split_characters(line);
        if (y == 1) {
            if (characters.size() > static_cast<size_t>(kMaxCells)) {
                error = path + ", line 2: the first row is " + std::to_string(characters.size()) +
                        " cells wide; a stage has at most " + std::to_string(kMaxCells);
                return false;
            }
            loaded.width = static_cast<int32_t>(characters.size());
        }
        // A short row ends in empty cells; a longer one is cut at the width.
        std::vector<std::string> row(static_cast<size_t>(loaded.width));
        for (size_t x = 0; x < row.size() && x < characters.size(); ++x) {
            row[x] = std::string(characters[x]);
        }
        loaded.cells.push_back(std::move(row));
    }
    stage = std::move(loaded);
    return true;
}

void apply_loaded_stage(StageModel& model, const LoadedStage& stage) {
    model.set_stage_width(stage.width);
    model.set_stage_height(stage.height);
    model.framed_width = model.stage_width;
    model.framed_height = model.stage_height;
    for (int32_t y = 1; y <= model.stage_height; ++y) {
        const std::vector<std::string>& row = stage.cells[static_cast<size_t>(y - 1)];
        for (int32_t x = 1; x <= model.stage_width; ++x) {
            model.cell(x, y) = row[static_cast<size_t>(x - 1)];
        }
    }
}

bool load_stage(StageModel& model, const std::string& path, std::string& error) {
    LoadedStage stage;
    if (!read_stage_file(path, stage, error)) return false;
    apply_loaded_stage(model, stage);
    return true;
}

bool save_stage_alone(const StageModel& model, const std::string& path, std::string& error) {
    return replace_file(path, model.stage_block(), error);
}

bool save_stage_appended(const StageModel& model, const std::string& path, std::string& error) {
    return append_to_file(path, model.stage_block(), error);
}

}  // namespace vorne::editor
