// Recordings and proofs through the built game: a run recorded headless
// replays to the same trace, a window's recording ended by a signal is whole,
// and --prove tells proven, stale, failed and none apart.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/content/content.h"

namespace vorne::content {
namespace {

using testing::lines_of;
using testing::read_file;
using testing::run_program;
namespace fs = std::filesystem;

// Recording a run and replaying the recording gives the same trace, byte for
// byte: the whole bundled game, and play paused by a lost focus.
TEST(Recording, ReplaysToTheSameTrace) {
    struct Case {
        std::string name, inputs;
        std::vector<std::string> options;
        int ticks;
    } cases[] = {
        {"whole_game", read_file(whole_game_replay()), {}, 5200},
        {"focus", "20*1 0 0\n0 0 32\n10*0 0 0\n0 0 16\n30*1 0 1\n", {"--stage", "4"}, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessRun run("record_" + c.name);
        run.write("inputs.txt", c.inputs);
        auto play = [&](const std::string& inputs, const std::string& trace,
                        std::vector<std::string> more) {
            std::vector<std::string> args = {
                "--headless",   "--map",   bundled_map(),           "--inputs",
                inputs,         "--ticks", std::to_string(c.ticks), "--trace",
                run.path(trace)};
            args.insert(args.end(), c.options.begin(), c.options.end());
            args.insert(args.end(), more.begin(), more.end());
            auto result = run_program(game_program(), args, run.dir());
            EXPECT_EQ(result.status, 0) << result.err;
        };
        play(run.path("inputs.txt"), "played.jsonl", {"--record", run.path("recording.txt")});
        play(run.path("recording.txt"), "replayed.jsonl", {});
        const std::string played = read_file(run.path("played.jsonl"));
        EXPECT_EQ(lines_of(played).size(), static_cast<size_t>(c.ticks));
        EXPECT_TRUE(played == read_file(run.path("replayed.jsonl")));
        if (c.name == "focus") {
            EXPECT_NE(played.find("\"paused\":true"), std::string::npos);
            EXPECT_NE(read_file(run.path("recording.txt")).find("\n0 0 32\n"), std::string::npos);
        }
    }
}

// The window's recording is whole when the game is ended by SIGTERM (as the
// editor ends a try), and replays headless for as many ticks.
TEST(Recording, WindowEndedBySignalLeavesAWholeRecording) {
    HeadlessRun run("record_window");
    const std::string recording = run.path("window.txt");
    pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_RUNTIME_DIR", run.dir().c_str(), 1);  // its own single-copy lock
        setenv("XDG_CONFIG_HOME", run.dir().c_str(), 1);
        freopen("/dev/null", "w", stderr);
        execl(game_program().c_str(), "vorne1.0", "--map", bundled_map().c_str(), "--stage", "1",
              "--record", recording.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Until some ticks have run: the header is written before the window opens.
    for (int i = 0; i < 100 && read_file(recording).find("stage-fnv1a64") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> lines = lines_of(read_file(recording));
    ASSERT_FALSE(lines.empty());
    int ticks = 0;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "# end: %d ticks, the window closed", &ticks), 1)
        << lines.back();
    EXPECT_GT(ticks, 0);
    int recorded = 0;
    for (const Input& i : expand_inputs(read_file(recording))) {
        EXPECT_EQ(i, Input{});  // nobody pressed anything
        ++recorded;
    }
    EXPECT_EQ(recorded, ticks);
}

// --prove on the bundled stages, and on a copy where stage 2 changed, stage 3
// has no proof and stage 4's proof stops short of the door.
TEST(Proofs, BundledProvenAndChangedCopyReported) {
    HeadlessRun run("proofs_changed");
    auto result = run_program(game_program(), {"--prove", bundled_map()}, run.dir());
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const std::vector<std::string> lines = lines_of(result.out);
    ASSERT_EQ(lines.size(), 11u) << result.out;
    for (size_t s = 0; s < 10; ++s)
        EXPECT_NE(lines[s].find(": stage " + std::to_string(s + 1) + ": proven: cleared"),
                  std::string::npos)
            << lines[s];
    EXPECT_NE(lines[10].find("10 stages: 10 proven, 0 stale, 0 failed, 0 none"), std::string::npos);

    const std::string map = run.path("map.dat");
    fs::copy_file(bundled_map(), map);
    fs::copy(bundled_map() + ".proofs", map + ".proofs");
    std::vector<StageBlock> stages = split_stages(read_file(map));
    ASSERT_EQ(stages.size(), 10u);
    std::string changed;
    for (size_t s = 0; s < stages.size(); ++s) {
        std::string text = stages[s].text;
        if (s == 1) text[text.find('z')] = 'x';  // an empty cell all the same
        changed += text;
    }
    run.write("map.dat", changed);
    fs::remove(map + ".proofs/stage-03.txt");
    std::string short_proof;
    for (const std::string& line : lines_of(read_file(map + ".proofs/stage-04.txt")))
        if (line.rfind("#", 0) == 0) short_proof += line + "\n";
    run.write("map.dat.proofs/stage-04.txt", short_proof + "20*1 0 0\n");

    result = run_program(game_program(), {"--prove", "map.dat"}, run.dir());
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    const std::vector<std::string> changed_lines = lines_of(result.out);
    ASSERT_EQ(changed_lines.size(), 11u) << result.out;
    EXPECT_EQ(changed_lines[1].rfind("map.dat: stage 2: stale: the stage changed", 0), 0u)
        << changed_lines[1];
    EXPECT_NE(changed_lines[1].find("replayed now: cleared"), std::string::npos);
    EXPECT_EQ(changed_lines[2], "map.dat: stage 3: none: no map.dat.proofs/stage-03.txt");
    EXPECT_EQ(changed_lines[3].rfind("map.dat: stage 4: failed: not cleared after 270 ticks", 0),
              0u)
        << changed_lines[3];
    EXPECT_EQ(changed_lines[10], "map.dat: 10 stages: 7 proven, 1 stale, 1 failed, 1 none");
}

}  // namespace
}  // namespace vorne::content
