// The bundled stage file as the editor writes it, and what the stages offer.
#include <algorithm>
#include <set>

#include "tests/content/content.h"

namespace vorne::content {
namespace {

using testing::read_file;

constexpr int max_cells = 20;  // the editor's largest stage, either way
constexpr int view_cells = 10;

bool solid_for_shots(char c) {
    return c == 'a' || c == 'l' || c == 'n';
}

class BundledStages : public ::testing::Test {
  protected:
    void SetUp() override {
        file_ = read_file(bundled_map());
        ASSERT_FALSE(file_.empty()) << bundled_map();
        stages_ = split_stages(file_);
    }
    std::string file_;
    std::vector<StageBlock> stages_;
};

TEST_F(BundledStages, EveryLineEndsInCrLf) {
    for (size_t i = 0; i < file_.size(); ++i) {
        if (file_[i] == '\r') {
            ASSERT_TRUE(i + 1 < file_.size() && file_[i + 1] == '\n') << "CR alone at byte " << i;
        }
        if (file_[i] == '\n') {
            ASSERT_TRUE(i > 0 && file_[i - 1] == '\r') << "LF alone at byte " << i;
        }
    }
    ASSERT_GE(file_.size(), 2u);
    EXPECT_EQ(file_.substr(file_.size() - 2), "\r\n");
}

TEST_F(BundledStages, AreFramedRectanglesWithinTheEditorsLimits) {
    ASSERT_GE(stages_.size(), 10u);
    for (size_t s = 0; s < stages_.size(); ++s) {
        SCOPED_TRACE("stage " + std::to_string(s + 1));
        const std::vector<std::string>& rows = stages_[s].rows;
        EXPECT_EQ(stages_[s].count_line, std::to_string(rows.size()));
        ASSERT_GE(rows.size(), 3u);
        EXPECT_LE(rows.size(), static_cast<size_t>(max_cells));
        const size_t width = rows[0].size();
        EXPECT_GE(width, 3u);
        EXPECT_LE(width, static_cast<size_t>(max_cells));
        // At least the size of the view, so no stage shows the backdrop beside it.
        EXPECT_GE(width, static_cast<size_t>(view_cells));
        EXPECT_GE(rows.size(), static_cast<size_t>(view_cells));
        for (size_t r = 0; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r].size(), width) << "row " << r + 1;
            EXPECT_EQ(rows[r].find_first_not_of("abcdefghijklmnz"), std::string::npos)
                << "row " << r + 1 << ": " << rows[r];
            EXPECT_EQ(rows[r].front(), 'a') << "row " << r + 1;
            EXPECT_EQ(rows[r].back(), 'a') << "row " << r + 1;
        }
        EXPECT_EQ(rows.front(), std::string(width, 'a'));
        EXPECT_EQ(rows.back(), std::string(width, 'a'));
    }
}

TEST_F(BundledStages, HaveOneStartOneDoorAndCoins) {
    for (size_t s = 0; s < stages_.size(); ++s) {
        SCOPED_TRACE("stage " + std::to_string(s + 1));
        std::string all;
        for (const std::string& row : stages_[s].rows)
            all += row;
        EXPECT_EQ(std::count(all.begin(), all.end(), 'b'), 1);
        EXPECT_EQ(std::count(all.begin(), all.end(), 'f'), 1);
        EXPECT_GE(std::count(all.begin(), all.end(), 'd'), 1);
        EXPECT_LE(std::count(all.begin(), all.end(), 'e'), 1);
    }
}

// --check finds nothing, the search of where the player can go included: every
// coin, key and power item can be taken and the door entered after them.
TEST_F(BundledStages, PassTheCheckWithEverythingInReach) {
    HeadlessRun run("check");
    const testing::ProgramResult checked =
        testing::run_program(game_program(), {"--check", bundled_map()}, run.dir());
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_NE(checked.out.find(", nothing wrong"), std::string::npos) << checked.out;
}

// The player starts standing, and no shooting enemy has a clear line along the
// start row.
TEST_F(BundledStages, StartSafely) {
    for (size_t s = 0; s < stages_.size(); ++s) {
        SCOPED_TRACE("stage " + std::to_string(s + 1));
        const std::vector<std::string>& rows = stages_[s].rows;
        for (size_t r = 0; r + 1 < rows.size(); ++r) {
            size_t c = rows[r].find('b');
            if (c == std::string::npos) continue;
            char below = rows[r + 1][c];
            EXPECT_TRUE(below == 'a' || below == 'c' || below == 'l' || below == 'n')
                << "nothing under the start (" << below << ")";
            for (size_t e = 0; e < rows[r].size(); ++e) {
                if (rows[r][e] != 'i') continue;
                bool shielded = false;
                for (size_t x = std::min(c, e) + 1; x < std::max(c, e); ++x)
                    shielded = shielded || solid_for_shots(rows[r][x]);
                EXPECT_TRUE(shielded) << "kind i in column " << e + 1 << " shoots at the start";
            }
        }
    }
}

// Between them the stages use every object, and stages wider and taller than
// the view.
TEST_F(BundledStages, CoverEveryObjectAndBothScrollDirections) {
    std::set<char> used;
    bool wide = false, tall = false;
    for (const StageBlock& stage : stages_) {
        for (const std::string& row : stage.rows)
            used.insert(row.begin(), row.end());
        wide = wide || stage.rows[0].size() > static_cast<size_t>(view_cells);
        tall = tall || stage.rows.size() > static_cast<size_t>(view_cells);
    }
    for (char c : std::string("abcdefghijklmnz"))
        EXPECT_TRUE(used.count(c)) << c;
    EXPECT_TRUE(wide);
    EXPECT_TRUE(tall);
}

TEST_F(BundledStages, EachHasARecordedInputThatSaysWhatItTeaches) {
    for (size_t s = 1; s <= stages_.size(); ++s) {
        std::string text = read_file(replay_path(static_cast<int>(s)));
        ASSERT_FALSE(text.empty()) << replay_path(static_cast<int>(s));
        EXPECT_EQ(text.substr(0, 2), "# ") << replay_path(static_cast<int>(s));
        EXPECT_FALSE(expand_inputs(text).empty());
    }
    EXPECT_TRUE(read_file(replay_path(static_cast<int>(stages_.size()) + 1)).empty())
        << "a recorded input without a stage";
}

}  // namespace
}  // namespace vorne::content
