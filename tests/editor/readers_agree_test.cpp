// Every kind of bad stage file, read by the game, by the check and by the
// editor: each accepts it or refuses it, and those that refuse say the same.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "editor/stage_files.h"
#include "game/world/builder.h"
#include "game/world/reset.h"
#include "game/world/stage_file.h"
#include "stagefile/check.h"

namespace vorne {
namespace {

namespace fs = std::filesystem;

// Reads the whole file as the game plays it, stage after stage; the message
// of its refusal, or nothing when every stage is read.
std::optional<std::string> game_refusal(const std::string& path) {
    auto world = make_world();
    reset_game(*world);
    stagefile::Reader reader;
    if (auto error = open_stage_file(*world, reader, path)) return error->message();
    for (;;) {
        if (auto error = build_stage(*world, reader)) return error->message();
        reset_counters(*world);
        NextCount next = read_next_count(*world, reader);
        if (next.end_of_file) return std::nullopt;
        if (next.error) return next.error->message();
        hairetu(*world);
        ++world->stage_number;
    }
}

// The check's refusal in the game's words, or nothing when it finds none.
std::optional<std::string> check_refusal(const std::string& path) {
    const stagefile::CheckResult result = stagefile::check_stage_file(path);
    if (!result.readable) return result.error;
    if (result.findings.empty() || !result.findings.back().refusal) return std::nullopt;
    const stagefile::Finding& f = result.findings.back();
    return StageError{path, f.stage, f.line, f.problem}.message();
}

std::string rows_of(int count, const std::string& row) {
    std::string text = std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i)
        text += row + "\r\n";
    return text;
}

class ReadersAgree : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vorne_readers_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    fs::path folder_;
};

TEST_F(ReadersAgree, OnEveryKindOfBadFile) {
    const std::string good = rows_of(1, "aaa") + "3\r\naaa\r\nabf\r\naaa\r\n";
    std::string binary;
    for (int b = 0; b < 256; ++b)
        binary += static_cast<char>(b);
    ::mkfifo(path("fifo.dat").c_str(), 0600);
    ::symlink(path("nowhere.dat").c_str(), path("dangling.dat").c_str());
    {
        // Larger than any stage file may be, without taking the disk.
        std::ofstream(path("huge.dat"), std::ios::binary) << "1\r\n";
        fs::resize_file(path("huge.dat"), stagefile::max_file_bytes + 1);
    }

    struct Case {
        std::string path;
        const char* refusal;   // nullptr: accepted by all three
        int editor_stage = 1;  // the editor reads stage 1 only: refusals past it are not its
    };
    const Case cases[] = {
        {write("good.dat", good), nullptr},
        {write("bom.dat", "\xEF\xBB\xBF" + good), nullptr},
        {write("cr_only.dat", "2\raaa\raaa\r"), nullptr},
        {write("no_end.dat", "1\r\naaa"), nullptr},
        {write("blank_count.dat", " \t3 \r\naaa\r\naaa\r\naaa\r\n"), nullptr},
        {write("trailing.dat", good + "\r\n"), nullptr},  // one more stage, of 0 rows
        {write("lf_only.dat", "1\naaa\n"), "lf_only.dat: its lines end in LF alone"},
        {write("empty.dat", ""), "empty.dat: the file is empty"},
        {write("bom_only.dat", "\xEF\xBB\xBF"), "bom_only.dat: the file is empty"},
        {write("negative.dat", "-1\r\n"), "negative.dat: stage 1, line 1: the row count -1 is"},
        {write("too_many.dat", "401\r\n"), "too_many.dat: stage 1, line 1: the row count 401 is"},
        {write("long_count.dat", std::string(70000, ' ') + "1\r\naaa\r\n"),
         "long_count.dat: stage 1, line 1: the line is longer than 64 KiB"},
        {write("wide.dat", rows_of(1, std::string(401, 'z'))),
         "wide.dat: stage 1, line 2: row 1 has 401 characters"},
        {write("long_row.dat", rows_of(1, std::string(100000, 'a'))),
         "long_row.dat: stage 1, line 2: the line is longer than 64 KiB"},
        {write("short.dat", "3\r\naaa\r\naaa\r\n"),
         "short.dat: stage 1, line 3: the file ends after 2 of the stage's 3 rows"},
        {write("late.dat", good + "-5\r\n"), "late.dat: stage 3, line 7: the row count -5", 3},
        // A first line of no number: a first stage of 0 rows, which the game
        // cannot play; the editor opens it as an empty stage.
        {write("binary.dat", binary),
         "binary.dat: stage 1, line 1: the first stage's row count is 0", 0},
        {write("walls.dat", rows_of(2, std::string(201, 'a'))),
         "walls.dat: stage 1, line 3: more than 400 walls", 0},
        {"/dev/zero", "/dev/zero: is not a regular file (a character device)"},
        {"/dev/full", "/dev/full: is not a regular file (a character device)"},
        {"/dev/null", "/dev/null: the file is empty"},
        {path("fifo.dat"), "fifo.dat: is not a regular file (a FIFO)"},
        {path("dangling.dat"), "dangling.dat: No such file or directory"},
        {folder_.string(), "is a folder, not a file"},
        {path("huge.dat"), "huge.dat: is larger than 64 MiB (67108864 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::optional<std::string> game = game_refusal(c.path);
        if (!c.refusal) {
            EXPECT_EQ(game, std::nullopt);
        } else {
            ASSERT_TRUE(game.has_value());
            EXPECT_NE(game->find(c.refusal), std::string::npos) << *game;
        }
        EXPECT_EQ(check_refusal(c.path), game);

        editor::LoadedStage stage;
        std::string error;
        const bool loaded = editor::read_stage_file(c.path, stage, error);
        if (c.refusal && c.editor_stage == 1) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(error, *game);
        } else if (c.editor_stage == 1) {
            EXPECT_TRUE(loaded) << error;
        }
    }
}

}  // namespace
}  // namespace vorne
