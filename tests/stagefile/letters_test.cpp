#include "stagefile/letters.h"

#include <gtest/gtest.h>

namespace vorne::stagefile {
namespace {

// Cell texts and what the table makes of them: only the fourteen letters
// "a" .. "n", exactly, build something; every other text is an empty cell.
TEST(Letters, CellTextsFindTheirEntry) {
    struct Case {
        std::string_view cell;
        Object object;
        int32_t capacity;
        std::string_view name;
    };
    const Case cases[] = {
        {"a", Object::wall, 400, "walls"},
        {"b", Object::player_start, 0, "player starts"},
        {"f", Object::door, 0, "doors"},
        {"i", Object::enemy_i, 399, "enemies of kind i"},
        {"j", Object::enemy_j, 400, "enemies of kind j"},
        {"n", Object::lock2, 400, "lock blocks of kind 2"},
        {"z", Object::empty, 0, "empty cells"},
        {"o", Object::empty, 0, "empty cells"},
        {"A", Object::empty, 0, "empty cells"},
        {"aa", Object::empty, 0, "empty cells"},
        {"", Object::empty, 0, "empty cells"},
        {"\xc3\xa9", Object::empty, 0, "empty cells"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cell));
        EXPECT_EQ(letter_of(c.cell).object, c.object);
        EXPECT_EQ(letter_capacity(c.cell), c.capacity);
        EXPECT_EQ(letter_name(c.cell), c.name);
    }
    EXPECT_EQ(capacity_problem("i", 3, 201),
              "more than 399 enemies of kind i (\"i\"), found in row 3, column 201");
}

}  // namespace
}  // namespace vorne::stagefile
