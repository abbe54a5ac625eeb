// The recorded inputs beside the stages clear them, alone, with kind-2 keys
// brought from before, and as one whole game from the title to the ending and
// back.
#include "tests/content/content.h"

namespace vorne::content {
namespace {

using testing::read_file;

class StageReplays : public ::testing::Test {
  protected:
    void SetUp() override {
        stages_ = split_stages(read_file(bundled_map()));
        ASSERT_GE(stages_.size(), 10u);
        for (size_t s = 1; s <= stages_.size(); ++s) {
            replays_.push_back(expand_inputs(read_file(replay_path(static_cast<int>(s)))));
            ASSERT_GT(replays_.back().size(), static_cast<size_t>(1 + intro_ticks)) << s;
        }
    }
    std::vector<StageBlock> stages_;
    std::vector<std::vector<Input>> replays_;
};

// Each recorded input starts the game on the title and clears its stage on its
// last tick, without a miss; the ending follows.
TEST_F(StageReplays, EachClearsItsStageAloneOnItsLastTick) {
    for (size_t s = 0; s < stages_.size(); ++s) {
        SCOPED_TRACE("stage " + std::to_string(s + 1));
        HeadlessRun run("alone_" + std::to_string(s + 1));
        run.write("stage.dat", stages_[s].text);
        const std::vector<Input>& inputs = replays_[s];
        EXPECT_EQ(inputs[0], (Input{0, 0, 1}));
        const int last = static_cast<int>(inputs.size());
        auto trace = run.play(inputs, last + 1, {"--map", run.path("stage.dat")});
        ASSERT_EQ(trace.size(), static_cast<size_t>(last + 1));
        EXPECT_EQ(transitions(trace, play, stage_clear), std::vector<int>{last});
        EXPECT_EQ(trace[last].state, ending);
        for (const Tick& t : trace) {
            ASSERT_NE(t.state, miss) << "tick " << t.tick;
            ASSERT_EQ(t.lives, 3 + t.score / 1500) << "tick " << t.tick;
        }
    }
}

// Kind-2 keys stay with the player from stage to stage: a stage comes after one
// that hands out two, and its recorded input clears it all the same.
TEST_F(StageReplays, EachClearsItsStageWithKind2KeysBroughtAlong) {
    const std::string key_stage = "3\r\naaaaaaaaaa\r\nabmmdfzzza\r\naaaaaaaaaa\r\n";
    std::vector<Input> prologue = expand_inputs("0 0 1\n50*0 0 0\n16*1 0 0\n");
    for (size_t s = 0; s < stages_.size(); ++s) {
        SCOPED_TRACE("stage " + std::to_string(s + 1));
        HeadlessRun run("carried_" + std::to_string(s + 1));
        run.write("stages.dat", key_stage + stages_[s].text);
        std::vector<Input> inputs = prologue;
        inputs.push_back(Input{});  // the stage clear's tick, instead of the title's Z
        inputs.insert(inputs.end(), replays_[s].begin() + 1, replays_[s].end());
        const int first_clear = static_cast<int>(prologue.size());
        const int last = static_cast<int>(inputs.size());
        auto trace = run.play(inputs, last + 1, {"--map", run.path("stages.dat")});
        ASSERT_EQ(trace.size(), static_cast<size_t>(last + 1));
        EXPECT_EQ(transitions(trace, play, stage_clear), (std::vector<int>{first_clear, last}));
        EXPECT_EQ(trace[first_clear + 1 + intro_ticks].keys2, 2);  // first tick of play
        EXPECT_EQ(trace[last].state, ending);
        EXPECT_TRUE(transitions(trace, play, miss).empty());
    }
}

class WholeGame : public StageReplays {};

// The whole-game input is the stage inputs back to back: the clear of one stage
// takes the place of the title's Z of the next.
TEST_F(WholeGame, InputIsTheStageInputsBackToBack) {
    std::vector<Input> game = expand_inputs(read_file(whole_game_replay()));
    std::vector<Input> expected;
    for (size_t s = 0; s < replays_.size(); ++s) {
        if (s > 0) expected.push_back(Input{});
        expected.insert(expected.end(), replays_[s].begin() + (s > 0 ? 1 : 0), replays_[s].end());
    }
    ASSERT_GT(game.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(game[i], expected[i]) << "tick " << i + 1;
}

// From the title through every bundled stage in order (the map.dat beside the
// program), the ending, and back to the title with Z; one more life every 1500
// points on the way.
TEST_F(WholeGame, PlaysFromTheTitleThroughEveryStageToTheEndingAndBack) {
    HeadlessRun run("whole_game");
    std::vector<Input> inputs = expand_inputs(read_file(whole_game_replay()));
    const int ticks = static_cast<int>(inputs.size());
    auto trace = run.play(inputs, ticks);
    ASSERT_EQ(trace.size(), static_cast<size_t>(ticks));

    EXPECT_EQ(trace[0].state, intro);
    std::vector<int> clears = transitions(trace, play, stage_clear);
    ASSERT_EQ(clears.size(), stages_.size());
    for (size_t s = 0; s < clears.size(); ++s) {
        const Tick& cleared = trace[clears[s] - 1];
        const Tick& next = trace[clears[s]];
        EXPECT_EQ(cleared.stage, static_cast<int>(s + 1));
        if (s + 1 < clears.size()) {
            EXPECT_EQ(next.state, intro);
            EXPECT_EQ(next.stage, static_cast<int>(s + 2));
            EXPECT_EQ(trace[clears[s] + intro_ticks].state, play);
        } else {
            EXPECT_EQ(next.state, ending);
            EXPECT_EQ(next.stage, static_cast<int>(s + 1));
        }
    }
    std::vector<int> to_title = transitions(trace, ending, title);
    ASSERT_EQ(to_title.size(), 1u);
    EXPECT_GT(to_title[0], clears.back());
    const Tick& back = trace[to_title[0] - 1];
    EXPECT_EQ(back.stage, 1);
    EXPECT_EQ(back.score, 0);
    EXPECT_EQ(back.lives, 3);
    EXPECT_EQ(trace.back().state, title);

    int extra_lives = 0;
    for (int i = 0; i < to_title[0] - 1; ++i) {
        const Tick& t = trace[i];
        ASSERT_NE(t.state, miss) << "tick " << t.tick;
        ASSERT_EQ(t.lives, 3 + t.score / 1500) << "tick " << t.tick;
        if (i > 0 && t.lives > trace[i - 1].lives) ++extra_lives;
    }
    EXPECT_GE(extra_lives, 1);
}

}  // namespace
}  // namespace vorne::content
