// The built game, run headless as other tools run it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/run_program.h"

namespace vorne {
namespace {

using testing::lines_of;
using testing::read_file;
using testing::run_program;

class HeadlessRunner : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "headless_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir_);
    }
    testing::ProgramResult run(const std::vector<std::string>& args) {
        return run_program(testing::bin_dir() + "/vorne1.0", args, dir_);
    }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    }
    std::string dir_;
};

TEST_F(HeadlessRunner, TenTicksOnTheTitle) {
    auto r = run({"--headless", "--ticks", "10", "--trace", "t.jsonl"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = lines_of(read_file(dir_ + "/t.jsonl"));
    ASSERT_EQ(lines.size(), 10u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NE(lines[i].find("{\"tick\":" + std::to_string(i + 1) + ",\"state\":1,"),
                  std::string::npos)
            << lines[i];
    }
    // Start-up's title music is reported with the first tick.
    EXPECT_NE(
        lines[0].find("PSMAT503.mid\\\" type sequencer alias midifile\",\"play midifile from 0\"]"),
        std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("\"music\":[]"), std::string::npos);
}

TEST_F(HeadlessRunner, RecordedInputDrivesTheSticksAndButtons) {
    write("in.txt", "# two ticks right and up with button 2\n2*1 -1 2\n0 1 1\n");
    auto r = run({"--headless", "--inputs", "in.txt", "--ticks", "4", "--trace", "t.jsonl"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = lines_of(read_file(dir_ + "/t.jsonl"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("\"input\":[1,-1,2]"), std::string::npos);
    EXPECT_NE(lines[1].find("\"input\":[1,-1,2]"), std::string::npos);
    EXPECT_NE(lines[2].find("\"input\":[0,1,1]"), std::string::npos);
    EXPECT_NE(lines[3].find("\"input\":[0,0,0]"), std::string::npos);
}

TEST_F(HeadlessRunner, EscQuitsAtOnce) {
    write("in.txt", "5*0 0 0\n0 0 4\n");
    auto r = run({"--headless", "--inputs", "in.txt", "--trace", "t.jsonl"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = lines_of(read_file(dir_ + "/t.jsonl"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[5].find("\"music\":[\"stop midifile \",\"close midifile\"]"),
              std::string::npos);
}

TEST_F(HeadlessRunner, DumpAndScreenshot) {
    auto r = run({"--headless", "--ticks", "3", "--dump", "2:w.json", "--screenshot", "3:s.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string dump = read_file(dir_ + "/w.json");
    for (const char* key : {"\"wall_table\":[[0,0,0,0]", "\"wall_count\":1",
                            "\"enemy_j_state\":", "\"stage_grid\":[]", "\"game_state\":1",
                            "\"lives\":3", "\"key_codes\":[0,90,88,27,0]", "\"enemy_shot_table\":"})
        EXPECT_NE(dump.find(key), std::string::npos) << key;
    std::string png = read_file(dir_ + "/s.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\xc8\0\0\0\xc8", 8));  // 200 x 200
}

TEST_F(HeadlessRunner, TitleIntroductionAndABuiltStage) {
    // The player starts next to a coin with the door beyond it.
    write("one.dat", "3\r\naaaaa\r\nafdba\r\naaaaa\r\n");
    write("in.txt", "0 0 1\n");
    auto r = run({"--headless", "--map", "one.dat", "--inputs", "in.txt", "--ticks", "55",
                  "--trace", "t.jsonl", "--dump", "52:w.json", "--screenshot", "20:intro.png",
                  "--screenshot", "55:stage.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = lines_of(read_file(dir_ + "/t.jsonl"));
    ASSERT_EQ(lines.size(), 55u);
    EXPECT_NE(lines[0].find("\"state\":4,"), std::string::npos);   // Z on the title
    EXPECT_NE(lines[49].find("\"state\":4,"), std::string::npos);  // 50 ticks of introduction
    EXPECT_NE(lines[50].find("\"state\":0,"), std::string::npos);
    EXPECT_NE(lines[50].find("PSMAT526.mid"), std::string::npos);
    EXPECT_NE(lines[52].find("\"caption\":\"SCORE 0     Px3\""), std::string::npos);

    std::string dump = read_file(dir_ + "/w.json");
    for (const char* key :
         {"\"stage_grid\":[\"aaaaa\",\"afdba\",\"aaaaa\"]", "\"wall_count\":12", "\"coin_count\":1",
          "\"player_rect\":[80,40,100,60]", "\"door_rect\":[40,40,60,60]", "\"key1_count\":1"})
        EXPECT_NE(dump.find(key), std::string::npos) << key;
    std::string intro = read_file(dir_ + "/intro.png"), stage = read_file(dir_ + "/stage.png");
    EXPECT_EQ(intro.substr(1, 3), "PNG");
    EXPECT_EQ(stage.substr(1, 3), "PNG");
    EXPECT_NE(intro, stage);
}

TEST_F(HeadlessRunner, MissingStageFileGivesAMessageAndTheTitleGoesOn) {
    write("in.txt", "0 0 1\n");
    auto r = run({"--headless", "--map", "nowhere.dat", "--inputs", "in.txt", "--ticks", "3",
                  "--trace", "t.jsonl"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("nowhere.dat"), std::string::npos) << r.err;
    auto lines = lines_of(read_file(dir_ + "/t.jsonl"));
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines)
        EXPECT_NE(line.find("\"state\":1,"), std::string::npos);
}

TEST_F(HeadlessRunner, DialogAnswersButtonTwo) {
    write("chosen.dat", "3\r\naaaaa\r\nabdfa\r\naaaaa\r\n");
    write("in.txt", "0 0 2\n");
    auto r = run({"--headless", "--map", "nowhere.dat", "--dialog", "chosen.dat", "--inputs",
                  "in.txt", "--ticks", "1", "--dump", "1:w.json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(read_file(dir_ + "/w.json").find("\"game_state\":4"), std::string::npos);
    // Without --dialog the dialog is cancelled and the title goes on.
    r = run({"--headless", "--inputs", "in.txt", "--ticks", "1", "--dump", "1:w.json"});
    EXPECT_NE(read_file(dir_ + "/w.json").find("\"game_state\":1"), std::string::npos);
}

TEST_F(HeadlessRunner, BadCommandLinesExitWithStatus2AndOneLine) {
    write("bad.txt", "0 0 0\n7 0 0\n");
    write("plain.txt", "");
    std::filesystem::create_directories(dir_ + "/folder");
    std::filesystem::remove(dir_ + "/fifo");
    std::filesystem::remove(dir_ + "/a.json");
    ASSERT_EQ(mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--headless", "--frobnicate"},
             {"--headless", "--ticks", "many"},
             {"--headless", "--inputs", "missing.txt"},
             {"--headless", "--inputs", "bad.txt"},
             {"--headless", "--inputs", "folder"},
             {"--headless", "--inputs", "fifo"},
             {"--headless", "--inputs", "/dev/zero"},
             {"--headless", "--trace", "/nonexistent-dir/t.jsonl"},
             {"--headless", "--trace", "folder"},
             // Checked before the first tick, so nothing is written (nor emptied).
             {"--headless", "--trace", "plain.txt", "--dump", "1:a.json", "--dump", "1:folder"},
             {"--headless", "--trace", "plain.txt", "--screenshot", "1:missing-dir/s.png"},
             {"--headless", "--trace", "plain.txt", "--screenshot", "1:plain.txt/s.png"},
             {"--headless", "--trace", "plain.txt", "--ticks", "3", "--dump", "4:a.json"},
             {"--headless", "--trace", "plain.txt", "--ticks", "0", "--screenshot", "1:a.png"},
         }) {
        write("plain.txt", "kept");
        auto r = run(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
        EXPECT_EQ(read_file(dir_ + "/plain.txt"), "kept") << args.back();
        EXPECT_FALSE(std::filesystem::exists(dir_ + "/a.json")) << args.back();
    }
    auto r = run({"--headless", "--inputs", "bad.txt"});
    EXPECT_NE(r.err.find("bad.txt:2:"), std::string::npos) << r.err;
    r = run({"--headless", "--ticks", "3", "--dump", "4:a.json"});
    EXPECT_NE(r.err.find("a.json: tick 4"), std::string::npos) << r.err;
}

// --stage needs --map and a stage the file holds; the window and the runner
// refuse alike, before anything opens.
TEST_F(HeadlessRunner, StageOptionErrors) {
    write("two.dat", "3\r\naaaaa\r\nabdfa\r\naaaaa\r\n1\r\nabdfa\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{
             {{"--stage", "2"}, "--stage needs --map FILE"},
             {{"--headless", "--stage", "2"}, "--stage needs --map FILE"},
             {{"--map", "two.dat", "--stage", "0"}, "--stage needs a whole number of 1 or more"},
             {{"--map", "two.dat", "--stage", "two"}, "--stage needs a whole number of 1 or more"},
             {{"--map", "two.dat", "--stage=2.0"}, "--stage needs a whole number of 1 or more"},
             {{"--map", "two.dat", "--stage", "3"},
              "two.dat: the file holds 2 stages, so there is no stage 3"},
             {{"--headless", "--map", "two.dat", "--stage", "4"},
              "two.dat: the file holds 2 stages, so there is no stage 4"},
         }) {
        auto r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.says;
        ASSERT_EQ(lines_of(r.err).size(), 1u) << r.err;
        EXPECT_EQ(r.err, "vorne1.0: " + c.says + "\n");
    }
}

// A file refused while the stages before are read past is reported as the
// title reports it, naming the stage, and the title follows.
TEST_F(HeadlessRunner, StageOfARefusedFileLeavesTheTitle) {
    write("cut.dat", "3\r\naaaaa\r\nabdfa\r\naaaaa\r\n3\r\naaaaa\r\n3\r\n");
    auto r = run(
        {"--headless", "--map", "cut.dat", "--stage", "3", "--ticks", "1", "--trace", "t.jsonl"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("cut.dat: stage 2, line 7: the file ends after 2 of the stage's 3 rows"),
              std::string::npos)
        << r.err;
    EXPECT_NE(read_file(dir_ + "/t.jsonl").find("\"state\":1,\"stage\":1,"), std::string::npos);
}

// Whatever is lost on the way out is an exit status of 1, the final flush of
// a short trace included.
TEST_F(HeadlessRunner, LostOutputExitsWithStatus1AndOneLine) {
    write("esc.txt", "0 0 0\n0 0 4\n");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{
             {{"--ticks", "1", "--trace", "/dev/full"}, "/dev/full: "},
             {{"--ticks", "200", "--trace", "/dev/full"}, "/dev/full: "},
             {{"--ticks", "3", "--trace", "t.jsonl", "--dump", "2:/dev/full"}, "/dev/full: "},
             {{"--ticks", "3", "--trace", "t.jsonl", "--screenshot", "2:/dev/full"}, "/dev/full: "},
             {{"--inputs", "esc.txt", "--dump", "9:late.json"},
              "late.json: not written: the game quit at tick 2, before tick 9"},
         }) {
        std::vector<std::string> args{"--headless"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = run(args);
        EXPECT_EQ(r.status, 1) << c.says;
        ASSERT_EQ(lines_of(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find("vorne1.0: " + c.says), std::string::npos) << r.err;
    }
    // The trace so far is kept when a later file fails (the screenshot's run).
    EXPECT_EQ(lines_of(read_file(dir_ + "/t.jsonl")).size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/late.json"));
}

TEST_F(HeadlessRunner, CheckListsFindingsWithItsExitStatus) {
    write("good.dat", "3\r\naaaaa\r\nabdfa\r\naaaaa\r\n");
    write("bad.dat", "3\r\naaaaa\r\nabzza\r\naaaaa\r\n");
    auto good = run({"--check", "good.dat"});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "good.dat: 1 stage, nothing wrong\n");
    auto bad = run({"--check=bad.dat"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("bad.dat: stage 1: no door"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("bad.dat: stage 1: no coin"), std::string::npos) << bad.out;
    auto missing = run({"--check", "missing.dat"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(lines_of(missing.err).size(), 1u);
}

TEST_F(HeadlessRunner, HelpAndVersion) {
    auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--headless"), std::string::npos);
    auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("vorne1.0"), std::string::npos);
}

}  // namespace
}  // namespace vorne
