// Stages painted and saved by the editor are played by the game.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor/stage_files.h"
#include "editor/stage_model.h"
#include "tests/support/run_program.h"

namespace vorne::editor {
namespace {

using vorne::testing::lines_of;
using vorne::testing::read_file;
using vorne::testing::run_program;

TEST(EditorToGame, SavedAndAppendedStagesArePlayedInOrder) {
    std::string dir = ::testing::TempDir() + "editor_to_game";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/two.dat";
    std::filesystem::remove(path);

    // A 10 x 10 stage as a designer paints it after start-up: the player,
    // a coin and the door on the bottom floor.
    StageModel model;
    model.update_frame();
    model.cell(3, 9) = "b";
    model.cell(6, 9) = "d";
    model.cell(9, 9) = "f";
    std::string error;
    ASSERT_TRUE(save_stage_alone(model, path, error)) << error;
    ASSERT_TRUE(save_stage_appended(model, path, error)) << error;

    // Z on the title, the introduction, then 24 steps right take the coin
    // and stop on the door; then the second stage's introduction.
    std::ofstream(dir + "/in.txt") << "0 0 1\n50*0 0 0\n24*1 0 0\n";
    auto r = run_program(vorne::testing::bin_dir() + "/vorne1.0",
                         {"--headless", "--map", path, "--inputs", "in.txt", "--ticks", "140",
                          "--trace", "t.jsonl", "--dump", "52:w.json"},
                         dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(read_file(dir + "/w.json").find("\"azbzzdzzfa\""), std::string::npos);

    bool cleared = false, second = false;
    for (const std::string& line : lines_of(read_file(dir + "/t.jsonl"))) {
        cleared = cleared || line.find("\"state\":5,") != std::string::npos;
        second = second || (line.find("\"state\":0,\"stage\":2,") != std::string::npos);
    }
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(second);
}

}  // namespace
}  // namespace vorne::editor
