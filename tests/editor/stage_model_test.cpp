// The editor's stage rules: the wall frame, resizing, the chip table, the
// pointer cell and the two fills.
#include "editor/stage_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorne::editor {
namespace {

// Rows 1..height of columns 1..width as strings, for compact comparisons:
// "_" stands for the empty text, "?" for a cell of several characters.
std::vector<std::string> grid_rows(const StageModel& model, int32_t width, int32_t height) {
    std::vector<std::string> rows;
    for (int32_t y = 1; y <= height; ++y) {
        std::string row;
        for (int32_t x = 1; x <= width; ++x) {
            const std::string& cell = model.cell(x, y);
            row += cell.empty() ? std::string("_") : cell.size() == 1 ? cell : std::string("?");
        }
        rows.push_back(row);
    }
    return rows;
}

// Puts rows into the grid from column 1, row 1, "_" as the empty text.
void set_rows(StageModel& model, const std::vector<std::string>& rows) {
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            std::string& cell =
                model.cell(static_cast<int32_t>(x + 1), static_cast<int32_t>(y + 1));
            cell = rows[y][x] == '_' ? std::string() : std::string(1, rows[y][x]);
        }
    }
}

TEST(StageModel, FirstFrameStepWallsTheEmptyStartStage) {
    StageModel model;
    EXPECT_EQ(model.selected_chip, "z");
    model.update_frame();
    std::vector<std::string> expected(10, "azzzzzzzza");
    expected.front() = expected.back() = "aaaaaaaaaa";
    EXPECT_EQ(grid_rows(model, 10, 10), expected);
    // Nothing outside the stage is touched.
    EXPECT_EQ(model.cell(11, 1), "z");
    EXPECT_EQ(model.cell(1, 11), "z");
}

TEST(StageModel, FrameStepWipesWhatIsPaintedOnTheFrameButKeepsTheInside) {
    StageModel model;
    model.update_frame();
    model.cell(1, 5).assign(1, 'd');
    model.cell(10, 10).assign(1, 'b');
    model.cell(5, 5).assign(1, 'c');
    model.cell(6, 5).assign(1, 'Q');  // a foreign letter survives the frame step
    model.update_frame();
    EXPECT_EQ(model.cell(1, 5), "a");
    EXPECT_EQ(model.cell(10, 10), "a");
    EXPECT_EQ(model.cell(5, 5), "c");
    EXPECT_EQ(model.cell(6, 5), "Q");
}

TEST(StageModel, ShrinkingThenGrowingLeavesTheOldFrameAsFloor) {
    StageModel model;
    model.update_frame();
    model.set_stage_width(8);
    model.update_frame();
    EXPECT_EQ(model.framed_width, 8);
    // The old right-hand frame, now outside, is cleared; the new one is walls.
    for (int32_t y = 1; y <= 10; ++y) {
        EXPECT_EQ(model.cell(10, y), "z") << "row " << y;
        EXPECT_EQ(model.cell(8, y), "a") << "row " << y;
    }
    EXPECT_EQ(model.cell(9, 1), "z");

    model.set_stage_width(10);
    model.update_frame();
    for (int32_t y = 1; y <= 10; ++y) {
        const bool frame_row = y == 1 || y == 10;
        EXPECT_EQ(model.cell(9, y), frame_row ? "a" : "z") << "row " << y;
        EXPECT_EQ(model.cell(10, y), "a") << "row " << y;
        // Column 8, the frame of the smaller stage, is floor now.
        EXPECT_EQ(model.cell(8, y), frame_row ? "a" : "z") << "row " << y;
    }
}

TEST(StageModel, ShrinkingTheHeightAndReachingZeroStayInsideTheGrid) {
    StageModel model;
    model.update_frame();
    model.set_stage_height(3);
    model.update_frame();
    EXPECT_EQ(grid_rows(model, 10, 4),
              (std::vector<std::string>{"aaaaaaaaaa", "azzzzzzzza", "aaaaaaaaaa", "zzzzzzzzzz"}));

    model.set_stage_width(0);
    model.set_stage_height(0);
    model.update_frame();
    EXPECT_EQ(model.saved_rows(), std::vector<std::string>{});
    EXPECT_EQ(model.stage_block(), "0\r\n");
    // Sizes out of range never reach past the grid.
    model.set_stage_width(25);
    model.set_stage_height(-3);
    EXPECT_EQ(model.stage_width, 20);
    EXPECT_EQ(model.stage_height, 0);
    model.rebuild_frame(-1, 30, 40, -5);
}

TEST(StageModel, SavedRowsConcatenateCellsEmptyTextIncluded) {
    StageModel model;
    model.set_stage_width(3);
    model.set_stage_height(2);
    model.update_frame();
    model.cell(2, 2) = "";
    EXPECT_EQ(model.stage_block(), "2\r\naaa\r\naa\r\n");
}

TEST(StageModel, BlockCountsTheRowsItWritesWhenTheSizeChangedSinceTheFrameStep) {
    StageModel model;
    model.update_frame();
    model.set_stage_height(4);  // no frame step yet
    const std::string block = model.stage_block();
    EXPECT_EQ(block.substr(0, 4), "10\r\n");
    EXPECT_EQ(block.size(), 4 + 10 * 12u);
}

TEST(ChipTable, ForeignAndEmptyCellsShowTheChipDrawnBeforeThem) {
    // The chip drawn just before, across the row break too, and the first
    // chip's offset 0 at the start of the pass.
    StageModel model;
    model.set_stage_width(3);
    model.set_stage_height(2);
    model.framed_width = 3;
    model.framed_height = 2;
    model.cell(1, 1) = "";
    model.cell(2, 1).assign(1, 'd');
    model.cell(3, 1).assign(1, 'X');
    model.cell(1, 2) = "";
    model.cell(2, 2).assign(1, 'z');
    model.cell(3, 2).assign(1, 'n');
    EXPECT_EQ(model.canvas_offsets(), (std::vector<int32_t>{0, 60, 60, 60, 280, 260}));
}

TEST(CursorCell, ClampsToTheStageAndRoundsToWholePixels) {
    EXPECT_EQ(cursor_cell(-35.0, 10), 0);
    EXPECT_EQ(cursor_cell(0.0, 10), 0);
    EXPECT_EQ(cursor_cell(19.4, 10), 0);
    EXPECT_EQ(cursor_cell(19.6, 10), 1);
    EXPECT_EQ(cursor_cell(179.0, 10), 8);
    EXPECT_EQ(cursor_cell(181.0, 10), 9);
    EXPECT_EQ(cursor_cell(5000.0, 10), 9);
    EXPECT_EQ(cursor_cell(300.0, 1), 0);
    // An empty stage still yields the first cell.
    EXPECT_EQ(cursor_cell(50.0, 0), 0);
}

// A fill on a stage the size of rows; every cell beyond it stays "z".
struct FillCase {
    std::vector<std::string> rows;
    std::vector<int32_t> at;  // the flood's cell, or the rectangle's two corners
    const char* letter;
    std::vector<std::string> expected;
    int32_t changed;
};

TEST(StageModel, FillsChangeTheCellsOfTheirAreaWithinTheStage) {
    const FillCase cases[] = {
        // Flood fills: the same letter, edge neighbours only, foreign and
        // empty texts, the stage's edges, a cell beyond the stage.
        {{"aaaa", "azza", "aaaa"}, {2, 2}, "z", {"aaaa", "azza", "aaaa"}, 0},
        {{"aaaaa", "azaza", "aazza"}, {2, 2}, "d", {"aaaaa", "adaza", "aazza"}, 1},
        {{"QQa", "aQa", "QaQ"}, {1, 1}, "c", {"cca", "aca", "QaQ"}, 3},
        {{"__a", "a_a"}, {2, 2}, "b", {"bba", "aba"}, 3},
        {{"zzz", "zzz"}, {2, 2}, "d", {"ddd", "ddd"}, 6},
        {{"zzz", "zzz"}, {4, 1}, "d", {"zzz", "zzz"}, 0},
        // Rectangles: corners in any order, cut to the stage, only changes
        // counted, foreign and empty texts replaced.
        {{"zzzzz", "zzzzz", "zzzzz"}, {4, 3, 2, 1}, "d", {"zdddz", "zdddz", "zdddz"}, 9},
        {{"zzz", "zzz"}, {2, 2, 9, 9}, "e", {"zzz", "zee"}, 2},
        {{"dd", "dz"}, {1, 1, 2, 2}, "d", {"dd", "dd"}, 1},
        {{"Q_", "zd"}, {2, 2, 1, 1}, "z", {"zz", "zz"}, 3},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        StageModel model;
        model.set_stage_width(static_cast<int32_t>(c.rows.front().size()));
        model.set_stage_height(static_cast<int32_t>(c.rows.size()));
        set_rows(model, c.rows);
        const int32_t changed =
            c.at.size() == 2 ? model.flood_fill(c.at[0], c.at[1], c.letter)
                             : model.fill_rectangle(c.at[0], c.at[1], c.at[2], c.at[3], c.letter);
        EXPECT_EQ(changed, c.changed);
        StageModel expected;
        set_rows(expected, c.expected);
        EXPECT_EQ(grid_rows(model, kMaxCells, kMaxCells),
                  grid_rows(expected, kMaxCells, kMaxCells));
    }
}

}  // namespace
}  // namespace vorne::editor
