// The letters of a stage file: what each cell builds, how many of each a stage
// may hold, and their names in messages. The game's builder, the check and the
// editor's chip strip all take these from the one table below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorne::stagefile {

// The most rows a stage may have and the most characters a row may hold.
inline constexpr int32_t max_rows = 400;
inline constexpr int32_t max_row_cells = 400;

// What a cell builds. The values count the entries of the table below, in its
// order, which is also the order of the editor's chip strip.
enum class Object : uint8_t {
    wall,
    player_start,
    ladder,
    coin,
    power_item,
    door,
    enemy_g,
    enemy_h,
    enemy_i,
    enemy_j,
    key1,
    lock1,
    key2,
    lock2,
    empty,
};

struct Letter {
    // The cell's text: one lower-case letter, compared exactly.
    std::string_view text;
    Object object;
    // The object in the plural, for messages ("walls").
    std::string_view name;
    // The most entries a stage may put in the object's table; 0 for the
    // single objects (the last one placed wins) and the empty cell.
    int32_t capacity;
};

// 400 walls, ladders, coins, keys or locks of a kind, 400 enemies of kinds g, h
// and j, but 399 of kind i (each of those clears a shot flag in the state entry
// after its own, which must exist too). "z" is the empty cell the editor
// writes; any text that is not a letter of this table is an empty cell too.
inline constexpr std::array<Letter, 15> letters = {{
    {"a", Object::wall, "walls", 400},
    {"b", Object::player_start, "player starts", 0},
    {"c", Object::ladder, "ladders", 400},
    {"d", Object::coin, "coins", 400},
    {"e", Object::power_item, "power items", 0},
    {"f", Object::door, "doors", 0},
    {"g", Object::enemy_g, "enemies of kind g", 400},
    {"h", Object::enemy_h, "enemies of kind h", 400},
    {"i", Object::enemy_i, "enemies of kind i", 399},
    {"j", Object::enemy_j, "enemies of kind j", 400},
    {"k", Object::key1, "keys of kind 1", 400},
    {"l", Object::lock1, "lock blocks of kind 1", 400},
    {"m", Object::key2, "keys of kind 2", 400},
    {"n", Object::lock2, "lock blocks of kind 2", 400},
    {"z", Object::empty, "empty cells", 0},
}};

// The entry of an object.
constexpr const Letter& letter(Object object) {
    return letters[static_cast<size_t>(object)];
}

// The entry of a cell's text: the empty cell for anything but "a" .. "n".
constexpr const Letter& letter_of(std::string_view cell) {
    if (cell.size() == 1 && cell[0] >= 'a' && cell[0] <= 'n') {
        return letters[static_cast<size_t>(cell[0] - 'a')];
    }
    return letter(Object::empty);
}

namespace detail {
constexpr bool letters_in_order() {
    for (size_t i = 0; i < letters.size(); ++i) {
        const Letter& l = letters[i];
        const char expected = i + 1 < letters.size() ? static_cast<char>('a' + i) : 'z';
        if (static_cast<size_t>(l.object) != i || l.text.size() != 1 || l.text[0] != expected) {
            return false;
        }
    }
    return true;
}
}  // namespace detail

// letter() indexes by object and letter_of() by letter: the table runs "a" ..
// "n" in the order of the objects, then the empty cell "z".
static_assert(detail::letters_in_order());
static_assert(static_cast<size_t>(Object::empty) + 1 == letters.size());

// The capacity of a cell's letter (0 for every other text).
constexpr int32_t letter_capacity(std::string_view cell) {
    return letter_of(cell).capacity;
}

// The object of a cell's letter in the plural ("walls", "enemies of kind g"),
// "empty cells" for anything that is not a letter of the stage file.
constexpr std::string_view letter_name(std::string_view cell) {
    return letter_of(cell).name;
}

// The problem when a stage holds one object more than its table takes:
// "more than 400 walls ("a"), found in row 3, column 7".
std::string capacity_problem(std::string_view cell, int32_t row, int32_t column);

}  // namespace vorne::stagefile
