// The solver's parts (the states it keeps, the input text it writes) and the
// built game's --solve, whose answers are replayed by the headless runner.
#include "game/shell/solver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/actors/actors.h"
#include "game/shell/dump.h"
#include "game/shell/input_text.h"
#include "tests/support/run_program.h"
#include "tests/support/stage_text.h"

namespace vorne {
namespace {

using testing::lines_of;
using testing::read_file;
using testing::run_program;

// A stage wider and taller than the view (so play scrolls it), with every
// kind of enemy, a gunner's shots, keys, locks and the power item.
std::unique_ptr<World> busy_stage() {
    return test::stage({
        "aaaaaaaaaaaaaaaaaaaaaaaa",
        "azzzzzzzzzzzzzzzzzzzzzza",
        "abzedzzkzzlzdzzgzzzdzzfa",
        "aaaaaaaaaaaaaaaaaaaaacaa",
        "azzzzzzzzzzzzzzzzzzzzcza",
        "azdzzizzzzdzzmzzhzzzzcza",
        "aaaaaaaaaaaaaaaaaaaaacaa",
        "azzzzzzzzzzzzzzzzzzzzcza",
        "azdzjzzzzzdzznzzzzzzzcza",
        "aaaaaaaaaaaaaaaaaaaaaaaa",
    });
}

// A state loads back into a world that holds its stage exactly as it was
// saved, whatever play did in between: nothing that play changes is left out.
TEST(StateCodec, LoadsBackEveryChangeOfPlay) {
    auto root = busy_stage();
    auto played = std::make_unique<World>(*root);
    auto loaded = std::make_unique<World>(*root);
    StateCodec codec(*root);
    test::SoundLog sound;
    // Right along the top floor firing (the power item, a key, a lock, an
    // enemy shot down), then down the ladder and left past the others.
    struct Leg {
        int ticks;
        int16_t x, y;
        int32_t buttons;
    };
    std::vector<StateCodec::State> states;
    std::vector<std::string> dumps;
    for (const Leg& leg : {Leg{80, 1, 0, button_fire}, Leg{20, 0, 1, 0}, Leg{60, -1, 0, 1}}) {
        for (int t = 0; t < leg.ticks && played->game_state == state_play; ++t) {
            played->stick_x = leg.x;
            played->stick_y = leg.y;
            played->buttons = leg.buttons;
            run_play_rules(*played, sound);
            states.emplace_back();
            codec.save(*played, states.back());
            dumps.push_back(dump_world(*played));
        }
    }
    ASSERT_GT(states.size(), 100u);
    EXPECT_NE(played->wall_table[1], root->wall_table[1]) << "the stage never scrolled";
    EXPECT_GT(played->score, 0);
    EXPECT_GT(codec.shared_parts(), 1u);
    // Loaded in another order, each over the one before.
    for (size_t i = states.size(); i-- > 0;) {
        codec.load(states[i], *loaded);
        ASSERT_EQ(dump_world(*loaded), dumps[i]) << "state after tick " << i + 1;
    }
}

TEST(InputText, MergesEqualTicksAndReadsBackTheSame) {
    const std::vector<InputStep> ticks = {
        {1, 1, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 1}, {1, 0, -1, 0}, {3, 0, -1, 0}, {1, -1, 1, 16},
    };
    const std::string text = format_inputs({"stage: 2", "two\nlines"}, ticks);
    EXPECT_EQ(text, "# stage: 2\n# two\n# lines\n2*1 0 0\n1 0 1\n4*0 -1 0\n-1 1 16\n");
    std::string error;
    auto read = parse_inputs(text, "t", error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->size(), 4u);
    auto expand = [](const std::vector<InputStep>& steps) {
        std::vector<std::array<int32_t, 3>> out;
        for (const InputStep& s : steps)
            for (int64_t n = 0; n < s.count; ++n)
                out.push_back({s.stick_x, s.stick_y, s.buttons});
        return out;
    };
    EXPECT_EQ(expand(*read), expand(ticks));
}

class Solve : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "solve_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir_);
    }
    testing::ProgramResult run(const std::vector<std::string>& args) {
        return run_program(testing::bin_dir() + "/vorne1.0", args, dir_);
    }
    void write_stage(const std::string& name, const std::vector<std::string>& rows) {
        std::ofstream out(dir_ + "/" + name, std::ios::binary);
        out << rows.size() << "\r\n";
        for (const std::string& row : rows)
            out << row << "\r\n";
    }
    std::string dir_;
};

// Each answer is replayed by the headless runner on its own: the stage is
// cleared on the answer's last tick and not before, without a life lost.
TEST_F(Solve, AnswersReplayToAClear) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"an open room, down a drop", {"aaaaaaaa", "abzdzzza", "aaaazzza", "adzzzdfa", "aaaaaaaa"}},
        {"a coin behind a ladder",
         {"aaaaaaaa", "adzzzzza", "aaaaacaa", "azzzzcza", "abzzzcfa", "aaaaaaaa"}},
        {"an enemy to pass", {"aaaaaaaaaaaa", "azzzzzzzzzza", "abezzzzgzdfa", "aaaaaaaaaaaa"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_stage("s.dat", c.rows);
        auto solved = run({"--solve", "s.dat", "--out", "s.txt", "--budget", "30"});
        ASSERT_EQ(solved.status, 0) << solved.out << solved.err;
        const size_t at = solved.out.find("stage 1: solved in ");
        ASSERT_NE(at, std::string::npos) << solved.out;
        const int ticks = std::stoi(solved.out.substr(at + 19));
        const std::string text = read_file(dir_ + "/s.txt");
        EXPECT_NE(text.find("# solver\n"), std::string::npos) << text;
        EXPECT_NE(text.find("# ticks: " + std::to_string(ticks) + "\n"), std::string::npos);

        auto replay = run({"--headless", "--map", "s.dat", "--stage", "1", "--inputs", "s.txt",
                           "--ticks", std::to_string(ticks), "--trace", "t.jsonl"});
        ASSERT_EQ(replay.status, 0) << replay.err;
        auto trace = lines_of(read_file(dir_ + "/t.jsonl"));
        ASSERT_EQ(trace.size(), static_cast<size_t>(ticks));
        for (size_t i = 0; i + 1 < trace.size(); ++i) {
            ASSERT_NE(trace[i].find("\"state\":0,"), std::string::npos) << trace[i];
            ASSERT_NE(trace[i].find("\"lives\":3,"), std::string::npos) << trace[i];
        }
        EXPECT_NE(trace.back().find("\"state\":5,"), std::string::npos) << trace.back();
    }
}

// A coin sealed in walls: the search ends without an answer, says so, and
// writes nothing; a stage or a file that cannot be played is refused at once.
TEST_F(Solve, SaysWhatItCouldNotDo) {
    write_stage("s.dat", {"aaaaaaaa", "abzzzzfa", "aaaaaaaa", "azzzdzza", "aaaaaaaa"});
    auto sealed = run({"--solve", "s.dat", "--out", "s.txt", "--budget", "30"});
    EXPECT_EQ(sealed.status, 1);
    EXPECT_NE(sealed.out.find("stage 1: no solution found within the budget ("), std::string::npos)
        << sealed.out;
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/s.txt"));

    auto past = run({"--solve", "s.dat", "--stage", "2"});
    EXPECT_EQ(past.status, 2);
    EXPECT_NE(past.err.find("s.dat"), std::string::npos) << past.err;
    auto missing = run({"--solve", "none.dat"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.dat"), std::string::npos) << missing.err;
    auto folder = run({"--solve", "s.dat", "--out", dir_});
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;
}

}  // namespace
}  // namespace vorne
