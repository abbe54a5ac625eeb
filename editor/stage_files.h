// The editor's file commands on stage files: load the first block of a file,
// save the stage as a file of its own, or append it to a file. Every failure
// returns false with a message that names the file and the problem.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/file_saving.h"
#include "editor/stage_model.h"
#include "stagefile/blocks.h"
#include "stagefile/reader.h"

namespace vorne::editor {

// A row longer than the first row of its stage, which the editor cuts to the
// first row's width.
struct CutRow {
    int32_t row = 0;    // 1 = the first row
    int32_t cells = 0;  // cells cut off its end

    bool operator==(const CutRow&) const = default;
};

// A stage block of a file, as the editor takes it.
struct LoadedStage {
    int32_t width = 0;   // cells of the first row
    int32_t height = 0;  // the row count
    // cells[y][x] for row y + 1, column x + 1; every row holds exactly width
    // cells: a short row ends in empty texts, a longer row is cut.
    std::vector<std::vector<std::string>> cells;
    std::vector<CutRow> cut_rows;  // the rows cut, in order
};

// Reads the first block of path by the game's reading rules (a file the game
// refuses is refused with the game's message), then the editor's own limits:
// a row count of at most 20 and a first row of at most 20 cells. Every
// failure names the file and, where there is one, the line.
bool read_stage_file(const std::string& path, LoadedStage& stage, std::string& error);
// The same for the bytes of a file in memory; name stands for the file.
bool read_stage_text(const std::string& name, std::string text, LoadedStage& stage,
                     std::string& error);
// The same for a reader already open.
bool read_stage(stagefile::Reader& reader, LoadedStage& stage, std::string& error);

// The rows of block number `number` (1 = first) of reader's file, whose count
// line of `rows` rows was just read: the game's rules, then the editor's
// limits, every message naming the file, the stage and the line.
bool read_stage_rows(stagefile::Reader& reader, int32_t number, int32_t rows, LoadedStage& stage,
                     std::string& error);

// A refusal of the game's reading in the game's words: "PATH: problem" for
// the file as a whole, else "PATH: stage N, line L: problem".
std::string refusal_message(const std::string& path, int32_t number,
                            const stagefile::Refusal& refusal);

// Puts a loaded stage into the model: the stage and framed sizes become the
// loaded size and the loaded cells replace those of the loaded extent; cells
// outside it keep what they held.
void apply_loaded_stage(StageModel& model, const LoadedStage& stage);

// read_stage_file, then apply_loaded_stage; the model is untouched on failure.
bool load_stage(StageModel& model, const std::string& path, std::string& error);

// Writes the stage as the only block of path. An existing file is replaced
// whole or not at all: the block goes to a new file beside it that is then
// renamed over it.
bool save_stage_alone(const StageModel& model, const std::string& path, std::string& error);

// Appends the stage as a new block at the end of path, creating the file if
// needed. A last line without its line end gets one first, so the block
// starts on a line of its own. A failed append leaves the file as it was.
bool save_stage_appended(const StageModel& model, const std::string& path, std::string& error);

}  // namespace vorne::editor
