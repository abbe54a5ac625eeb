#include "editor/stage_files.h"

namespace vorne::editor {

std::string refusal_message(const std::string& path, int32_t number,
                            const stagefile::Refusal& refusal) {
    if (refusal.line == 0) return path + ": " + refusal.problem;
    return path + ": stage " + std::to_string(number) + ", line " + std::to_string(refusal.line) +
           ": " + refusal.problem;
}

bool read_stage_file(const std::string& path, LoadedStage& stage, std::string& error) {
    stagefile::Reader reader;
    if (!reader.open(path, &error)) return false;
    return read_stage(reader, stage, error);
}

bool read_stage_text(const std::string& name, std::string text, LoadedStage& stage,
                     std::string& error) {
    stagefile::Reader reader;
    reader.open_text(name, std::move(text));
    return read_stage(reader, stage, error);
}

bool read_stage(stagefile::Reader& reader, LoadedStage& stage, std::string& error) {
    int32_t rows = 0;
    if (auto refusal = stagefile::read_first_count(reader, rows)) {
        error = refusal_message(reader.path(), 1, *refusal);
        return false;
    }
    return read_stage_rows(reader, 1, rows, stage, error);
}

bool read_stage_rows(stagefile::Reader& reader, int32_t number, int32_t rows, LoadedStage& stage,
                     std::string& error) {
    const std::string& path = reader.path();
    const std::string where = path + ": stage " + std::to_string(number) + ", line ";
    // The count as the game reads it ("3a" is 3, a line without a number 0);
    // the editor shows at most 20 rows.
    if (rows > kMaxCells) {
        error = where + std::to_string(reader.lines_read()) + ": the stage has " +
                std::to_string(rows) + " rows; the editor edits stages of at most " +
                std::to_string(kMaxCells);
        return false;
    }

    LoadedStage loaded;
    loaded.height = rows;
    std::string line;
    std::vector<std::string_view> characters;
    for (int32_t y = 1; y <= loaded.height; ++y) {
        if (auto refusal = stagefile::read_row(reader, y, rows, line, characters)) {
            error = refusal_message(path, number, *refusal);
            return false;
        }
        if (y == 1) {
            if (characters.size() > static_cast<size_t>(kMaxCells)) {
                error = where + std::to_string(reader.lines_read()) + ": the first row is " +
                        std::to_string(characters.size()) + " cells wide; a stage has at most " +
                        std::to_string(kMaxCells);
                return false;
            }
            loaded.width = static_cast<int32_t>(characters.size());
        }
        // A short row ends in empty cells; a longer one is cut at the width.
        std::vector<std::string> row(static_cast<size_t>(loaded.width));
        for (size_t x = 0; x < row.size() && x < characters.size(); ++x) {
            row[x] = std::string(characters[x]);
        }
        if (characters.size() > row.size()) {
            loaded.cut_rows.push_back({y, static_cast<int32_t>(characters.size() - row.size())});
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
