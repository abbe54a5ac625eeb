#include "stagefile/letters.h"

namespace vorne::stagefile {
namespace {

char letter_of(std::string_view cell) {
    return cell.size() == 1 ? cell[0] : '\0';
}

}  // namespace

int32_t letter_capacity(std::string_view cell) {
    switch (letter_of(cell)) {
        case 'a':
        case 'c':
        case 'd':
        case 'g':
        case 'h':
        case 'j':
        case 'k':
        case 'l':
        case 'm':
        case 'n':
            return 400;
        case 'i':
            return 399;
        default:
            return 0;
    }
}

std::string_view letter_name(std::string_view cell) {
    switch (letter_of(cell)) {
        case 'a':
            return "walls";
        case 'b':
            return "player starts";
        case 'c':
            return "ladders";
        case 'd':
            return "coins";
        case 'e':
            return "power items";
        case 'f':
            return "doors";
        case 'g':
            return "enemies of kind g";
        case 'h':
            return "enemies of kind h";
        case 'i':
            return "enemies of kind i";
        case 'j':
            return "enemies of kind j";
        case 'k':
            return "keys of kind 1";
        case 'l':
            return "lock blocks of kind 1";
        case 'm':
            return "keys of kind 2";
        case 'n':
            return "lock blocks of kind 2";
        default:
            return "empty cells";
    }
}

std::string capacity_problem(std::string_view cell, int32_t row, int32_t column) {
    return "more than " + std::to_string(letter_capacity(cell)) + " " +
           std::string(letter_name(cell)) + " (\"" + std::string(cell) + "\"), found in row " +
           std::to_string(row) + ", column " + std::to_string(column);
}

}  // namespace vorne::stagefile
