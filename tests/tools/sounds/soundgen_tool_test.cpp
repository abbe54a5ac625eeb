// The generator as the build runs it: a bad source stops the build with the
// file and line, and leaves no output behind for the next build to trust.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/tools/sounds/sound_file_readers.h"

namespace vorne::test {
namespace {

namespace fs = std::filesystem;

class SoundgenTool : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vorne_soundgen_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path) << text;
        return path.string();
    }

    // Runs the tool; returns its exit status and keeps what it printed.
    int run(const std::string& kind, const std::string& source, const std::string& output) {
        const std::string err = (dir_ / "stderr.txt").string();
        const std::string command = std::string("'") + VORNE_SOUNDGEN + "' " + kind + " '" +
                                    source + "' '" + output + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        std::ifstream in(err);
        messages_.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_;
    std::string messages_;
};

TEST_F(SoundgenTool, BadSourcesStopWithFileAndLineAndWriteNothing) {
    const std::string mid = (dir_ / "out.mid").string();
    const std::string song = write("bad.mus",
                                   "tempo 120\ntrack Lead\n  channel 1\n  program 81\n"
                                   "  | c4/4 |\nend\n");
    EXPECT_EQ(run("music", song, mid), 1);
    EXPECT_NE(messages_.find(song + ":5: bar line"), std::string::npos) << messages_;
    EXPECT_FALSE(fs::exists(mid));
    EXPECT_FALSE(fs::exists(mid + ".part"));

    const std::string wav = (dir_ / "out.wav").string();
    const std::string effect = write("bad.sfx", "voice\n  wave fuzz\nend\n");
    EXPECT_EQ(run("effect", effect, wav), 1);
    EXPECT_NE(messages_.find(effect + ":2: unknown wave 'fuzz'"), std::string::npos) << messages_;
    EXPECT_FALSE(fs::exists(wav));

    const std::string missing = (dir_ / "missing.sfx").string();
    EXPECT_EQ(run("effect", missing, wav), 1);
    EXPECT_NE(messages_.find(missing + ": cannot read"), std::string::npos) << messages_;

    EXPECT_EQ(run("noise", effect, wav), 2) << "an unknown kind is a usage error";
}

TEST_F(SoundgenTool, GoodSourcesReplaceTheirOutputs) {
    const std::string wav = write("out.wav", "an old, broken file");
    const std::string effect = write("ok.sfx", "voice\n  pitch c5\n  length 0.1\nend\n");
    ASSERT_EQ(run("effect", effect, wav), 0) << messages_;
    EXPECT_TRUE(messages_.empty()) << messages_;
    const Wave w = parse_wave(read_bytes(wav));
    EXPECT_NEAR(w.seconds(), 0.11, 0.01);

    const std::string mid = (dir_ / "out.mid").string();
    const std::string song =
        write("ok.mus", "track A\n  channel 1\n  program 1\n  | c4/1 |\nend\n");
    ASSERT_EQ(run("music", song, mid), 0) << messages_;
    EXPECT_EQ(parse_midi(read_bytes(mid)).tracks.size(), 2u);
}

}  // namespace
}  // namespace vorne::test
