#include "game/shell/json.h"

#include <gtest/gtest.h>

#include "game/shell/dump.h"
#include "game/world/world.h"

namespace vorne {
namespace {

TEST(Json, EscapesAndKeepsUtf8) {
    std::string out;
    append_json_string(out, "a\"b\\c\n\x01 VORNE\xe3\x82\xb9");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\n\\u0001 VORNE\xe3\x82\xb9\"");
    out.clear();
    // Bytes that are not UTF-8 (a stage cell may hold one) become U+FFFD.
    append_json_string(out, "\xff\xe3\x82");
    EXPECT_EQ(out, "\"\\ufffd\\ufffd\\ufffd\"");
}

TEST(Json, NestedValues) {
    JsonWriter j;
    j.begin_object().key("a").value(1).key("b").begin_array().value(-2).value("x").end_array();
    j.key("c")
        .begin_array()
        .begin_array()
        .end_array()
        .begin_array()
        .value(3)
        .end_array()
        .end_array();
    j.end_object();
    EXPECT_EQ(j.text(), R"({"a":1,"b":[-2,"x"],"c":[[],[3]]})");
}

TEST(Dump, TablesRunFromIndexZeroThroughCapacity) {
    auto world = make_world();
    world->wall_table[400] = Rect{1, 2, 21, 22};
    world->stage_rows = 2;
    world->row_length = 3;
    world->stage_grid[1][1].set("a");
    world->stage_grid[3][2].set("\xe3\x82\xb9");
    std::string dump = dump_world(*world);
    EXPECT_NE(dump.find("[1,2,21,22]]"), std::string::npos);  // entry 400 is the last
    EXPECT_NE(dump.find("\"stage_grid\":[\"azz\",\"zz\xe3\x82\xb9\"]"), std::string::npos);
    EXPECT_NE(dump.find("\"enemy_g_state\":[[0,0,0,0,0,0,0],"), std::string::npos);
}

}  // namespace
}  // namespace vorne
