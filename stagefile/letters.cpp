#include "stagefile/letters.h"

namespace vorne::stagefile {

std::string capacity_problem(std::string_view cell, int32_t row, int32_t column) {
    return "more than " + std::to_string(letter_capacity(cell)) + " " +
           std::string(letter_name(cell)) + " (\"" + std::string(cell) + "\"), found in row " +
           std::to_string(row) + ", column " + std::to_string(column);
}

}  // namespace vorne::stagefile
