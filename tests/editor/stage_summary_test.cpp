// The status line's summary of a stage: counted and checked as the game would
// read the stage once the next frame step has walled it.
#include "editor/stage_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorne::editor {
namespace {

struct SummaryCase {
    int32_t width;
    int32_t height;
    // Cells from column 1, row 1 ("Q" a cell "dfd"); the frame cells are left
    // as "z" on purpose: the summary must wall the stage itself.
    std::vector<std::string> rows;
    StageSummary expected;
};

TEST(StageSummary, CountsAndChecksTheStageAsTheFrameStepLeavesIt) {
    const SummaryCase cases[] = {
        // A new, empty stage.
        {10, 10, {}, {0, 0, 0, "no player start (\"b\")", 0, false}},
        // A start painted on the frame is walled over; the one inside counts.
        {6, 5, {"zzzzzz", "zbzdzz", "zddzfz", "bzzzzz", "zzzzzz"}, {1, 1, 3, "", 0, false}},
        {5,
         4,
         {"zzzzz", "zbfdz", "zfzzz", "zzzzz"},
         {1, 2, 1, "2 doors (\"f\"): the last one wins", 0, false}},
        // A cell of several characters is several cells to the game.
        {5,
         3,
         {"zzzzz", "zbQz"},
         {1, 1, 2, "row 2 has 7 cells, the last row 5 (rows of unequal length)", 2, false}},
        // Alone in a file, a stage of no rows is one the game refuses.
        {5,
         0,
         {},
         {0, 0, 0,
          "the first stage's row count is 0 (the line does not read as a number of at least 1): "
          "this is not a stage file the game can play",
          0, true}},
    };
    for (const SummaryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        StageModel model;
        model.set_stage_width(c.width);
        model.set_stage_height(c.height);
        for (size_t y = 0; y < c.rows.size(); ++y) {
            for (size_t x = 0; x < c.rows[y].size(); ++x) {
                const char letter = c.rows[y][x];
                model.cell(static_cast<int32_t>(x + 1), static_cast<int32_t>(y + 1)) =
                    letter == 'Q' ? "dfd" : std::string(1, letter);
            }
        }
        const StageModel before = model;
        const StageSummary summary = summarize_stage(model);
        EXPECT_EQ(summary.player_starts, c.expected.player_starts);
        EXPECT_EQ(summary.doors, c.expected.doors);
        EXPECT_EQ(summary.coins, c.expected.coins);
        EXPECT_EQ(summary.problem, c.expected.problem);
        EXPECT_EQ(summary.problem_row, c.expected.problem_row);
        EXPECT_EQ(summary.refused, c.expected.refused);
        EXPECT_EQ(model.state(), before.state()) << "the model itself is not framed";
    }
}

}  // namespace
}  // namespace vorne::editor
