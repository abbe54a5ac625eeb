// The editor's stage: a grid of one-letter cells framed by walls, and the chip
// table that maps cell letters to chips of the strip. Plain C++, no Qt, so the
// rules are tested without a window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stagefile/letters.h"

namespace vorne::editor {

// Columns and rows run 1..kMaxCells; index 0 of the grid is never used.
inline constexpr int32_t kMaxCells = 20;
inline constexpr int32_t kCellPixels = 20;

// The fifteen chips of the strip, in strip order: the letters of a stage file
// in the order of stagefile::letters, "a" .. "n", then the empty cell "z".
inline constexpr int32_t kChipCount = static_cast<int32_t>(stagefile::letters.size());
static_assert(kChipCount == 15);

// The letters of the frame and of an empty (or erased) cell.
inline constexpr std::string_view kWallLetter = stagefile::letter(stagefile::Object::wall).text;
inline constexpr std::string_view kEmptyLetter = stagefile::letter(stagefile::Object::empty).text;

// Index 0..14 of the chip showing letter, or -1 for any other text (a
// foreign letter, several characters, or the empty text).
int32_t chip_index(std::string_view letter);

// Letter of the chip at index, or the empty view when index is not 0..14.
std::string_view chip_letter(int32_t index);

// Strip x offset of the chip that a redraw pass draws for a cell: the chip of
// its letter, or, for a cell showing no chip, previous (the offset of the cell
// drawn just before it, 0 for the first).
int32_t strip_offset(std::string_view cell, int32_t previous);

// The cell, counted from 0, under a pointer coordinate of the canvas along an
// axis of cells cells: the coordinate is clamped to 0 .. (cells - 1) x 20
// (a negative one becomes 0), rounded to a whole pixel and divided by 20.
int32_t cursor_cell(double coordinate, int32_t cells);

using EditGrid = std::array<std::array<std::string, kMaxCells + 1>, kMaxCells + 1>;

// The stage as an undo step brings it back: every cell and all four sizes,
// exactly as they were (the next frame step then walls it as usual). The
// picked chip is no part of it.
struct StageState {
    EditGrid edit_grid;
    int32_t stage_width = 0;
    int32_t stage_height = 0;
    int32_t framed_width = 0;
    int32_t framed_height = 0;

    bool operator==(const StageState&) const = default;
};

struct StageModel {
    StageModel();

    // edit_grid[column][row]. A cell normally holds a chip letter; a loaded
    // file may have put any other text there, which is kept and saved as is.
    EditGrid edit_grid;
    int32_t stage_width = 10;
    int32_t stage_height = 10;
    // The size the wall frame was last drawn for; trails the stage size until
    // the next redraw tick calls update_frame.
    int32_t framed_width = 10;
    int32_t framed_height = 10;
    // The letter the left mouse button paints.
    std::string selected_chip = std::string(kEmptyLetter);

    // Cell (column, row); both must be 0..kMaxCells.
    std::string& cell(int32_t column, int32_t row) { return edit_grid[column][row]; }
    const std::string& cell(int32_t column, int32_t row) const { return edit_grid[column][row]; }

    // Clears the frame of the old size to "z", then draws the frame of the new
    // size with "a". Sizes outside 0..kMaxCells are clamped into it.
    void rebuild_frame(int32_t old_width, int32_t old_height, int32_t new_width,
                       int32_t new_height);

    // The redraw tick's frame step: rebuild_frame from the framed size to the
    // stage size, then the framed size becomes the stage size.
    void update_frame();

    // The stage without the picked chip, and back.
    StageState state() const;
    void restore(const StageState& state);

    // Sets stage_width / stage_height, clamped to 0..kMaxCells.
    void set_stage_width(int32_t width);
    void set_stage_height(int32_t height);

    // Rows 1..framed_height, each the concatenation of its cells
    // 1..framed_width: the rows a save writes.
    std::vector<std::string> saved_rows() const;

    // The stage as one block of a stage file (count line and rows, CR LF).
    std::string stage_block() const;

    // Strip offsets of the cells of the framed extent, row by row, left to
    // right: what the redraw tick copies to each cell of the canvas.
    std::vector<int32_t> canvas_offsets() const;

    // Sets every cell of the rectangle with corners (column1, row1) and
    // (column2, row2), in any order, to letter; the rectangle is cut to the
    // stage (1..stage_width, 1..stage_height). Returns the cells changed.
    int32_t fill_rectangle(int32_t column1, int32_t row1, int32_t column2, int32_t row2,
                           std::string_view letter);

    // Sets the cell (column, row) and every cell joined to it through edge
    // neighbours holding exactly the same text (a foreign letter or the empty
    // text too) to letter, within the stage (1..stage_width,
    // 1..stage_height). Returns the cells changed: none when the cell lies
    // outside the stage or already holds letter.
    int32_t flood_fill(int32_t column, int32_t row, std::string_view letter);
};

// True when the two stages are the same once the redraw tick has framed them:
// a stage only looked at is no change to a stage file.
bool same_when_framed(const StageState& a, const StageState& b);

}  // namespace vorne::editor
