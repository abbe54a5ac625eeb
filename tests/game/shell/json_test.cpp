#include "game/shell/json.h"

#include <gtest/gtest.h>

#include "game/shell/dump.h"
#include "game/world/world.h"

namespace vorne {
namespace {

// The bytes of strings in the trace and the dumps, where nlohmann's dump()
// would write some of them otherwise.
TEST(Json, EscapesAndKeepsUtf8) {
    const struct {
        std::string_view text, json;
    } cases[] = {
        {"a\"b\\c\n\x01 VORNE\xe3\x82\xb9", "\"a\\\"b\\\\c\\n\\u0001 VORNE\xe3\x82\xb9\""},
        {"\b\f\r\t\x7f", "\"\\u0008\\u000c\\r\\t\\u007f\""},
        // Bytes that are not UTF-8 (a stage cell may hold one) become U+FFFD,
        // one for each byte.
        {"\xff\xe3\x82", "\"\\ufffd\\ufffd\\ufffd\""},
    };
    for (const auto& c : cases) {
        std::string out;
        append_json_string(out, c.text);
        EXPECT_EQ(out, c.json);
    }
}

TEST(Json, OneLineKeysInTheirOrder) {
    Json j;
    j["b"] = 1;
    j["a"] = Json::array({-2, "x\x7f"});
    j["c"] = Json::array({Json::array(), Json::array({3})});
    j["\xff"] = Rect{1, 2, 3, 4};
    EXPECT_EQ(json_text(j), R"({"b":1,"a":[-2,"x\u007f"],"c":[[],[3]],"\ufffd":[1,2,3,4]})");
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
