// The letters of a stage file: what each cell holds, how many of each a stage
// may hold, and their names in messages. The game's builder, the check and the
// editor all take these from here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorne::stagefile {

// The most rows a stage may have and the most characters a row may hold.
inline constexpr int32_t max_rows = 400;
inline constexpr int32_t max_row_cells = 400;

// The most entries a stage may put in the table of a cell's letter: 400 walls,
// ladders, coins, keys or locks of a kind, 400 enemies of kinds g, h and j, but
// 399 of kind i (each of those clears a shot flag in the state entry after its
// own, which must exist too). 0 for every other cell, the single objects "b",
// "e" and "f" included.
int32_t letter_capacity(std::string_view cell);

// The object of a cell's letter in the plural ("walls", "enemies of kind g"),
// "empty cells" for anything that is not a letter of the stage file.
std::string_view letter_name(std::string_view cell);

// The problem when a stage holds one object more than its table takes:
// "more than 400 walls ("a"), found in row 3, column 7".
std::string capacity_problem(std::string_view cell, int32_t row, int32_t column);

}  // namespace vorne::stagefile
