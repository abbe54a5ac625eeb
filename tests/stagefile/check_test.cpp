#include "stagefile/check.h"

#include <gtest/gtest.h>

namespace vorne::stagefile {
namespace {

// Joins rows into a stage block with CR LF line ends.
std::string block(const std::vector<std::string>& rows) {
    std::string text = std::to_string(rows.size()) + "\r\n";
    for (const std::string& row : rows)
        text += row + "\r\n";
    return text;
}

const std::vector<std::string> good = {"aaaaaa", "abzdfa", "aaaaaa"};

std::vector<std::string> problems(const CheckResult& result) {
    std::vector<std::string> out;
    for (const Finding& f : result.findings)
        out.push_back(std::to_string(f.stage) + ":" + std::to_string(f.line) + ":" + f.problem);
    return out;
}

bool has(const CheckResult& result, int32_t stage, const std::string& words) {
    for (const Finding& f : result.findings)
        if (f.stage == stage && f.problem.find(words) != std::string::npos) return true;
    return false;
}

TEST(CheckStage, AGoodFileHasNoFindings) {
    CheckResult r = check_stage_bytes(block(good) + block(good));
    EXPECT_TRUE(r.clean()) << ::testing::PrintToString(problems(r));
    EXPECT_EQ(r.stages, 2);
    EXPECT_EQ(format_findings(r, "x.dat"), "");
}

TEST(CheckStage, WhatMakesAStageUnwinnableOrOdd) {
    struct Case {
        std::vector<std::string> rows;
        std::string words;
    };
    for (const Case& c : std::vector<Case>{
             {{"aaaaaa", "azzdfa", "aaaaaa"}, "no player start"},
             {{"aaaaaa", "abbdfa", "aaaaaa"}, "2 player starts"},
             {{"aaaaaa", "abzdza", "aaaaaa"}, "no door"},
             {{"aaaaaa", "abfdfa", "aaaaaa"}, "2 doors"},
             {{"aaaaaa", "abzzfa", "aaaaaa"}, "no coin"},
             {{"aaaaaaa", "abeedfa", "aaaaaaa"}, "2 power items"},
             {{"aaaaaa", "zbzdfa", "aaaaaa"}, "not framed"},
             {{"aaaaaa", "abzdfa", "aaaaza"}, "not framed"},
             {{"aaaaaa", "abzdfaa", "aaaaaa"}, "unequal length"},
             {{std::string(201, 'a'), "ab" + std::string(196, 'z') + "dfa", std::string(201, 'a')},
              "more than 400 walls (\"a\"), found in row 3, column 198"},
             {{std::string(402, 'a'), "abdf" + std::string(397, 'i') + "a", std::string(402, 'a')},
              "row 1 has 402 characters (at most 400)"},
         }) {
        CheckResult r = check_stage_bytes(block(c.rows));
        EXPECT_TRUE(has(r, 1, c.words)) << c.words << ": " << ::testing::PrintToString(problems(r));
    }
    // Kind i is full at 399.
    const std::string wall(205, 'a');
    const std::string i200 = "ab" + std::string(200, 'i') + "dfa";
    const auto i_rows = [&](int32_t more) {
        return block(
            {wall, i200, "a" + std::string(more, 'i') + std::string(203 - more, 'z') + "a", wall});
    };
    EXPECT_FALSE(has(check_stage_bytes(i_rows(199)), 1, "enemies of kind i"));
    EXPECT_TRUE(has(check_stage_bytes(i_rows(200)), 1,
                    "more than 399 enemies of kind i (\"i\"), found in row 3, column 201"));
}

TEST(CheckStage, FileShapes) {
    // LF alone throughout: the game refuses the file.
    CheckResult lf = check_stage_bytes("3\naaaaaa\nabzdfa\naaaaaa\n");
    EXPECT_TRUE(has(lf, 0, "LF alone"));
    // An LF alone inside a CR LF file: that row is one cell longer.
    CheckResult stray = check_stage_bytes("3\r\naaaaaa\r\nabz\ndfa\r\naaaaaa\r\n");
    EXPECT_TRUE(has(stray, 1, "LF without a CR"));
    EXPECT_TRUE(has(stray, 1, "unequal length"));
    // The file ends inside the second stage.
    CheckResult cut = check_stage_bytes(block(good) + "3\r\naaaaaa\r\n");
    EXPECT_TRUE(has(cut, 2, "ends after 1 of the stage's 3 rows"));
    // A trailing empty line is one more stage, of 0 rows, that cannot be cleared.
    CheckResult trailing = check_stage_bytes(block(good) + "\r\n");
    EXPECT_EQ(trailing.stages, 2);
    EXPECT_TRUE(has(trailing, 2, "0 rows"));
    // A count the game refuses.
    EXPECT_TRUE(has(check_stage_bytes("401\r\n"), 1, "the row count 401 is more than 400"));
    EXPECT_TRUE(has(check_stage_bytes("-2\r\n"), 1, "the row count -2 is negative"));
    EXPECT_TRUE(has(check_stage_bytes(""), 0, "empty"));
    // A byte order mark is skipped as the game skips it.
    EXPECT_TRUE(check_stage_bytes("\xEF\xBB\xBF" + block(good)).clean());
}

TEST(CheckStage, FindingsNameFileStageAndLine) {
    CheckResult r = check_stage_bytes(block(good) + block({"aaaaaa", "abzdfaa", "aaaaaa"}));
    EXPECT_EQ(format_findings(r, "tower.dat"),
              "tower.dat: stage 2, line 7: row 2 has 7 cells, the last row 6 (rows of unequal "
              "length)\n");
}

TEST(CheckStage, UnreadableFiles) {
    CheckResult missing = check_stage_file("/nonexistent/stages.dat");
    EXPECT_FALSE(missing.readable);
    EXPECT_NE(missing.error.find("/nonexistent/stages.dat"), std::string::npos);
    CheckResult folder = check_stage_file(::testing::TempDir());
    EXPECT_FALSE(folder.readable);
    EXPECT_NE(format_findings(folder, "x").find("folder"), std::string::npos);
}

}  // namespace
}  // namespace vorne::stagefile
