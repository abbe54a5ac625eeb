// A whole game's screens as a player meets them, run headless: the title, the
// introduction, play, misses and the game over, a stage file chosen in the
// dialog, a missing stage file, and the extra life.
#include <algorithm>
#include <filesystem>
#include <iterator>

#include "tests/content/content.h"

namespace vorne::content {
namespace {

using testing::lines_of;
using testing::read_file;

std::string stage_text(const std::vector<std::string>& rows) {
    std::string text = std::to_string(rows.size()) + "\r\n";
    for (const std::string& row : rows)
        text += row + "\r\n";
    return text;
}

// The player takes the first coin and stands still; the enemy walks into it.
const std::string caught = stage_text({
    "aaaaaaaaaa",
    "abdzdzzzga",
    "aaaaaaaaaa",
});

bool same_rect(const Tick& a, const Tick& b) {
    return std::equal(std::begin(a.player), std::end(a.player), std::begin(b.player));
}

TEST(GameFlow, TitleIntroPlayThreeMissesGameOverAndTitle) {
    HeadlessRun run("misses");
    run.write("stage.dat", caught);
    std::vector<Input> inputs = expand_inputs("0 0 1\n50*0 0 0\n4*1 0 0\n");
    const int ticks = 400;
    auto trace = run.play(inputs, ticks, {"--map", run.path("stage.dat")});
    ASSERT_EQ(trace.size(), static_cast<size_t>(ticks));

    // Z on the title; 50 ticks of introduction; play.
    EXPECT_EQ(trace[0].state, intro);
    EXPECT_EQ(transitions(trace, intro, play), std::vector<int>{1 + intro_ticks});
    const Tick start = trace[intro_ticks];
    EXPECT_EQ(trace[intro_ticks + 4].score, 50);

    // Caught three times: the first two rebuild the stage at once with a life
    // less, the player back at the start and the coin still taken.
    std::vector<int> misses = transitions(trace, play, miss);
    ASSERT_EQ(misses.size(), 3u);
    EXPECT_EQ(transitions(trace, miss, play), (std::vector<int>{misses[0] + 1, misses[1] + 1}));
    for (int k = 0; k < 2; ++k) {
        const Tick& rebuilt = trace[misses[k]];
        EXPECT_EQ(rebuilt.lives, 2 - k);
        EXPECT_EQ(rebuilt.score, 50);
        EXPECT_EQ(rebuilt.door_open, 0);
        EXPECT_TRUE(same_rect(rebuilt, start));
    }
    // The last life ends in the game over screen, then the title of a new game.
    EXPECT_EQ(transitions(trace, miss, game_over), std::vector<int>{misses[2] + 1});
    EXPECT_EQ(transitions(trace, game_over, title), std::vector<int>{misses[2] + 1 + intro_ticks});
    const Tick& again = trace.back();
    EXPECT_EQ(again.state, title);
    EXPECT_EQ(again.lives, 3);
    EXPECT_EQ(again.score, 0);
    EXPECT_EQ(again.stage, 1);

    // The world after the first rebuild: the first coin taken, the second not.
    HeadlessRun dump("misses_dump");
    dump.write("stage.dat", caught);
    dump.play(inputs, misses[0] + 1,
              {"--map", dump.path("stage.dat"), "--dump",
               std::to_string(misses[0] + 1) + ":" + dump.path("world.json")});
    std::string world = read_file(dump.path("world.json"));
    EXPECT_NE(world.find("\"coin_taken\":[0,1,0,"), std::string::npos) << world.substr(0, 200);
    EXPECT_NE(world.find("\"coin_count\":2,"), std::string::npos);
}

// --stage 3 on the bundled stages: play of stage 3 on the first tick, with a
// new game's lives and score; stage 3's recorded input, less the title's Z and
// the introduction, clears it as it does alone, and stage 4's introduction
// follows.
TEST(GameFlow, StageOptionStartsInPlayAtThatStage) {
    std::vector<Input> replay = expand_inputs(testing::read_file(replay_path(3)));
    ASSERT_GT(replay.size(), static_cast<size_t>(2 + intro_ticks));
    std::vector<Input> inputs(replay.begin() + 1 + intro_ticks, replay.end());
    const int cleared = static_cast<int>(inputs.size());
    HeadlessRun run("stage_option");
    auto trace = run.play(inputs, cleared + 1, {"--map", bundled_map(), "--stage", "3"});
    ASSERT_EQ(trace.size(), static_cast<size_t>(cleared + 1));
    const Tick& first = trace[0];
    EXPECT_EQ(first.state, play);
    EXPECT_EQ(first.stage, 3);
    EXPECT_EQ(first.lives, 3);
    EXPECT_EQ(first.score, 0);
    EXPECT_EQ(first.keys1 + first.keys2 + first.power, 0);
    EXPECT_EQ(transitions(trace, play, stage_clear), std::vector<int>{cleared});
    EXPECT_EQ(trace.back().state, intro);
    EXPECT_EQ(trace.back().stage, 4);
    EXPECT_TRUE(transitions(trace, play, miss).empty());
    // The play music starts before the first tick, the title's stopped.
    const std::string line = lines_of(read_file(run.path("trace.jsonl"))).front();
    EXPECT_NE(line.find("\"stop midifile \",\"close midifile\",\"open \\\""), std::string::npos)
        << line;
    EXPECT_NE(line.find("PSMAT526.mid"), std::string::npos) << line;
    EXPECT_NE(line.find("\"caption\":\"SCORE 0     Px3\""), std::string::npos) << line;
}

// X on the title plays the file the dialog answers, to its ending; without an
// answer the title stays and Z still opens the bundled stages.
TEST(GameFlow, StageFileChosenInTheDialog) {
    HeadlessRun run("dialog");
    run.write("chosen.dat", stage_text({
                                "aaaaaaaaaa",
                                "azzzzzzzza",
                                "azzzzzbdfa",
                                "aaaaaaaaaa",
                                "azzzzzzzza",
                                "azzzzzzzza",
                                "azzzzzzzza",
                                "azzzzzzzza",
                                "azzzzzzzza",
                                "aaaaaaaaaa",
                            }));
    std::vector<Input> inputs = expand_inputs("0 0 2\n50*0 0 0\n8*1 0 0\n");
    auto trace = run.play(inputs, 61, {"--dialog", run.path("chosen.dat")});
    ASSERT_EQ(trace.size(), 61u);
    EXPECT_EQ(trace[0].state, intro);
    // Column 7, row 3 of a 10 x 10 stage: aligned right and top in the view.
    const Tick& first = trace[intro_ticks];
    EXPECT_EQ(first.state, play);
    EXPECT_EQ(std::vector<int>(first.player, first.player + 4),
              (std::vector<int>{120, 40, 140, 60}));
    EXPECT_EQ(transitions(trace, play, stage_clear), std::vector<int>{59});
    EXPECT_EQ(trace.back().state, ending);

    HeadlessRun cancelled("dialog_cancelled");
    trace = cancelled.play(expand_inputs("0 0 2\n0 0 0\n0 0 1\n"), 3);
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].state, title);
    EXPECT_EQ(trace[1].state, title);
    EXPECT_EQ(trace[2].state, intro);
}

// Z with no stage file: one message that names it, and the title goes on.
TEST(GameFlow, MissingStageFileGivesAMessageAndTheTitle) {
    HeadlessRun run("missing");
    std::vector<Input> inputs = expand_inputs("0 0 1\n10*0 0 0\n");
    auto trace = run.play(inputs, 11, {"--map", "/nonexistent/map.dat"});
    for (const Tick& t : trace)
        EXPECT_EQ(t.state, title) << "tick " << t.tick;
    EXPECT_NE(run.result.err.find("/nonexistent/map.dat"), std::string::npos) << run.result.err;
    EXPECT_EQ(lines_of(run.result.err).size(), 1u) << run.result.err;

    // A copy of the game in a folder of its own, with its pictures and sounds
    // but no map.dat beside it.
    namespace fs = std::filesystem;
    const std::string folder = run.path("game");
    fs::create_directories(folder);
    fs::copy_file(game_program(), folder + "/vorne1.0");
    for (const char* data : {"sheets", "sound"})
        fs::create_directory_symlink(testing::bin_dir() + "/" + data, folder + "/" + data);
    trace = run.play(inputs, 11, {}, folder + "/vorne1.0");
    for (const Tick& t : trace)
        EXPECT_EQ(t.state, title) << "tick " << t.tick;
    EXPECT_NE(run.result.err.find(folder + "/map.dat"), std::string::npos) << run.result.err;
}

// The 30th coin brings the score to 1500 and one more life in the same tick;
// the next comes only at 3000.
TEST(GameFlow, ExtraLifeAt1500Points) {
    HeadlessRun run("extra_life");
    run.write("stage.dat", stage_text({
                               "aaaaaaaaaaaaaaaaaaaa",
                               "abddddddddddddddddca",
                               "aaaaaaaaaaaaaaaaaaca",
                               "afddddddddddddddddca",
                               "aaaaaaaaaaaaaaaaaaaa",
                           }));
    std::vector<Input> inputs = expand_inputs("0 0 1\n50*0 0 0\n68*1 0 0\n8*0 1 0\n68*-1 0 0\n");
    const int ticks = static_cast<int>(inputs.size());
    auto trace = run.play(inputs, ticks, {"--map", run.path("stage.dat")});
    ASSERT_EQ(trace.size(), static_cast<size_t>(ticks));
    int reached = 0;
    for (const Tick& t : trace) {
        if (t.score >= 1500 && !reached) reached = t.tick;
        EXPECT_EQ(t.lives, t.score >= 1500 ? 4 : 3) << "tick " << t.tick << " score " << t.score;
    }
    ASSERT_GT(reached, 0);
    EXPECT_EQ(trace[reached - 1].score, 1500);
    EXPECT_EQ(trace[reached - 2].score, 1450);
    EXPECT_EQ(trace.back().score, 1600);
    EXPECT_EQ(transitions(trace, play, stage_clear), std::vector<int>{ticks});
}

}  // namespace
}  // namespace vorne::content
