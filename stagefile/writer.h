// Writing stage blocks: the count line, then the rows, each line ended by CR LF
// (the line end the game reads as one terminator).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne::stagefile {

// The text of one stage block: row_count as a decimal number on the count line,
// then every row, each line followed by CR LF. The rows are written as given
// (one character per cell); nothing is checked or changed.
std::string format_block(int32_t row_count, const std::vector<std::string>& rows);

}  // namespace vorne::stagefile
