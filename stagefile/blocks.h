// The rules by which a stage file is read: one stage block after another, a
// count line and that many rows. The game, the check and the editor all read
// through these functions, so that a file one of them refuses, the others
// refuse too, for the same reason in the same words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stagefile/reader.h"

namespace vorne::stagefile {

// Why a stage file cannot be read on, and where.
struct Refusal {
    int32_t line = 0;     // the file's line (1 = first); 0: the file as a whole
    std::string problem;  // in words for the stage designer
};

// Starts a file just opened: skips a UTF-8 byte order mark, refuses an empty
// file and one whose lines end in LF alone (a file saved with Linux line
// ends reads as one long line), then reads the first count line into rows.
std::optional<Refusal> read_first_count(Reader& reader, int32_t& rows);

// read_first_count for a file the game is to play from its title: a first
// stage of no rows (a text file, a picture: a first line that does not read
// as a count of at least 1) is refused too, since it has no player and no door.
std::optional<Refusal> read_playable_first_count(Reader& reader, int32_t& rows);

// After the last row of a stage: sets end_of_file when nothing is left to
// read; otherwise reads the next count line into rows.
std::optional<Refusal> read_next_count(Reader& reader, bool& end_of_file, int32_t& rows);

// Reads row `row` (1-based) of a stage of `rows` rows: its bytes into line and
// its characters into cells (views into line). Refuses a file that ends
// before the row and a row of more than max_row_cells characters.
std::optional<Refusal> read_row(Reader& reader, int32_t row, int32_t rows, std::string& line,
                                std::vector<std::string_view>& cells);

}  // namespace vorne::stagefile
