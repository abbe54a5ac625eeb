// Where the player can go, on small stages whose answer is plain to see.
#include "game/proof/reach.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stagefile/check.h"
#include "stagefile/writer.h"

namespace vorne {
namespace {

ReachCell coin(int32_t row, int32_t column) {
    return {ReachItem::coin, row, column};
}
ReachCell key1(int32_t row, int32_t column) {
    return {ReachItem::key1, row, column};
}
ReachCell power(int32_t row, int32_t column) {
    return {ReachItem::power_item, row, column};
}
ReachCell door(int32_t row, int32_t column) {
    return {ReachItem::door, row, column};
}

struct Case {
    const char* what;
    std::vector<std::string> rows;
    std::vector<ReachCell> unreachable;
    std::vector<ReachCell> door_lost_after;
};

TEST(Reach, FindsWhatCannotBeReached) {
    // clang-format off
    const std::vector<Case> cases = {
        {"a coin sealed in walls",
         {"aaaaaaaaaa",
          "azzzzzaaaa",
          "azzzzzadaa",
          "abzdzfaaaa",
          "aaaaaaaaaa"},
         {coin(3, 8)},
         {}},
        {"a coin and the power item on ledges with no ladder",
         {"aaaaaaaa",
          "azzzzzza",
          "azzzdeza",
          "azzzaaza",
          "abzdzzfa",
          "aaaaaaaa"},
         {coin(3, 5), power(3, 6)},
         {}},
        {"a door behind a lock whose only key is behind it",
         {"aaaaaaaaa",
          "abzdzlkfa",
          "aaaaaaaaa"},
         {key1(2, 7), door(2, 8)},
         {}},
        {"a key spent on the first of two locks",
         {"aaaaaaaaaa",
          "abkzlzdlfa",
          "aaaaaaaaaa"},
         {door(2, 9)},
         {}},
        {"a coin past a gap of one cell, which the player falls into",
         {"aaaaaaaaaa",
          "abzfzzzdza",
          "aaaaaazaaa",
          "azzzzzzzza",
          "azzdzzzzza",
          "aaaaaaaaaa"},
         {coin(2, 8)},
         {coin(5, 4)}},
        {"a coin in a pit with no way out",
         {"aaaaaaaaaa",
          "abzfzzzzza",
          "aaaaaazaaa",
          "azzzzzzzza",
          "azzzzzdzza",
          "aaaaaaaaaa"},
         {},
         {coin(5, 7)}},
        // Caught by the enemy, the player starts again with the coin kept.
        {"the same pit with an enemy in it",
         {"aaaaaaaaaa",
          "abzfzzzzza",
          "aaaaaazaaa",
          "azzzzzzzza",
          "azzzzzdzga",
          "aaaaaaaaaa"},
         {},
         {}},
        {"a key taken before its lock, up a ladder and down a hole",
         {"aaaaaaaaaa", "azzzzzzzza", "akzzdzzzza", "aacaaazaaa", "azczzzzzza", "abczzzzlfa",
          "aaaaaaaaaa"},
         {},
         {}},
        {"a lock of kind 2 with no key of kind 2",
         {"aaaaaaaaa",
          "abzdzndfa",
          "aaaaaaaaa"},
         {coin(2, 7), door(2, 8)},
         {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReachResult reach = search_reach(c.rows);
        ASSERT_TRUE(reach.searched);
        ASSERT_TRUE(reach.proved);
        EXPECT_EQ(reach.unreachable, c.unreachable);
        EXPECT_EQ(reach.door_lost_after, c.door_lost_after);
    }
}

TEST(Reach, ClaimsNothingPastItsLimitOrWithoutAStart) {
    const std::vector<std::string> rows = {"aaaaaaaaaa", "abzzzzzzfa", "aaaaaaaaaa", "azzzzzzdaa",
                                           "aaaaaaaaaa"};
    const ReachResult cut = search_reach(rows, 10);
    EXPECT_TRUE(cut.searched);
    EXPECT_FALSE(cut.proved);
    EXPECT_TRUE(cut.unreachable.empty());
    EXPECT_FALSE(search_reach({"aaaaa", "azdfa", "aaaaa"}).searched);
}

// The findings of each stage follow the check's own for that stage, on the
// rows' lines, and a refused stage and those after it are not searched.
TEST(Reach, FindingsFollowTheChecksOwnStageByStage) {
    const std::string file =
        stagefile::format_block(3, {"aaaaa", "abzza", "aaaaa"}) +
        stagefile::format_block(5, {"aaaaaa", "abdzfa", "aaaaaa", "aadaaa", "aaaaaa"}) +
        stagefile::format_block(3, {"aazaa", "abdfa", "aaaaa"}) +
        stagefile::format_block(3, {"aaaaa", "abdfa"});
    const std::string path = ::testing::TempDir() + "reach_findings.dat";
    {
        FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    stagefile::CheckResult result = stagefile::check_stage_file(path);
    add_reach_findings(result, path);
    std::vector<std::string> lines;
    std::string text = stagefile::format_findings(result, "f.dat");
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    const std::vector<std::string> expected = {
        "f.dat: stage 1: no door (\"f\"): the stage can never be cleared",
        "f.dat: stage 1: no coin (\"d\"): the door never opens",
        "f.dat: stage 2, line 9: the coin (\"d\") in row 4, column 3 cannot be reached",
        "f.dat: stage 3: not framed by walls (the first and last rows and both ends of every row "
        "should be \"a\")",
        "f.dat: stage 4, line 17: the file ends after 2 of the stage's 3 rows (the game refuses "
        "the "
        "file here)",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace vorne
