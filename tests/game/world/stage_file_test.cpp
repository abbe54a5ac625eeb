#include "game/world/stage_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/game/world/stages.h"

namespace vorne {
namespace {

namespace fs = std::filesystem;
using test::file_of;
using test::framed;
using test::Rows;

class StageFile : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / ("vorne_stage_file_" + std::string(info->name()) +
                                              "_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        world = test::title_world();
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // What the end of play does after a stage clear when another stage follows.
    void next_stage() {
        reset_counters(*world);
        hairetu(*world);
        ++world->stage_number;
    }

    void expect_title_state() {
        EXPECT_FALSE(reader.is_open());
        EXPECT_EQ(world->game_state, state_title);
        EXPECT_EQ(world->stage_file_open, 0);
        EXPECT_EQ(world->stage_number, 1);
        EXPECT_EQ(world->lives, 3);
        EXPECT_EQ(world->score, 0);
        EXPECT_EQ(world->stage_rows, 0);
        EXPECT_EQ(world->row_length, 0);
        EXPECT_EQ(world->wall_count, 1);
        EXPECT_EQ(world->enemy_i_count, 1);
        EXPECT_EQ(world->wall_table[1], Rect{});
        EXPECT_EQ(world->player_rect, Rect{});
        EXPECT_EQ(world->stage_grid[1][1].text(), "z");
    }

    // Expects a problem that names the file, the stage and what is wrong;
    // then rejects the file and expects the title state.
    void check_rejection(const std::optional<StageError>& error, const std::string& path,
                         int32_t stage, const std::string& problem) {
        ASSERT_TRUE(error) << "accepted: " << path;
        const std::string message = error->message();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        if (stage > 0) {
            EXPECT_NE(message.find("stage " + std::to_string(stage)), std::string::npos) << message;
        }
        EXPECT_NE(message.find(problem), std::string::npos) << message;
        reject_stage_file(*world, reader);
        expect_title_state();
    }

    void expect_rejected_path(const std::string& path, const std::string& problem) {
        check_rejection(open_stage_file(*world, reader, path), path, 0, problem);
        EXPECT_EQ(world->stage_file_open, 0);
    }

    // Opens text as a file and plays through its stages until a problem.
    void expect_rejected(const std::string& text, int32_t stage, const std::string& problem) {
        const std::string path = write("bad.dat", text);
        std::optional<StageError> error = open_stage_file(*world, reader, path);
        if (!error) {
            EXPECT_EQ(world->stage_file_open, 1);
            error = build_stage(*world, reader);
        }
        while (!error) {
            NextCount next = read_next_count(*world, reader);
            if (next.end_of_file) break;
            error = next.error;
            if (error) break;
            next_stage();
            error = build_stage(*world, reader);
        }
        check_rejection(error, path, stage, problem);
    }

    fs::path folder;
    std::unique_ptr<World> world;
    stagefile::Reader reader;
};

TEST_F(StageFile, PlaysEveryStageOfTheFileInOrderThenReachesTheEnd) {
    const std::string path =
        write("map.dat", file_of({framed(5, 4, 2, 2), framed(6, 3, 3, 2)}) + "\r\n");
    ASSERT_FALSE(open_stage_file(*world, reader, path));
    EXPECT_EQ(world->stage_file_open, 1);
    EXPECT_EQ(world->stage_rows, 4);
    ASSERT_FALSE(build_stage(*world, reader));
    EXPECT_EQ(world->wall_count, 5 + 2 + 2 + 5);

    NextCount next = read_next_count(*world, reader);
    ASSERT_FALSE(next.error);
    ASSERT_FALSE(next.end_of_file);
    EXPECT_EQ(world->stage_rows, 3);
    next_stage();
    ASSERT_FALSE(build_stage(*world, reader));
    EXPECT_EQ(world->row_length, 6);
    EXPECT_EQ(world->wall_count, 6 + 2 + 6);

    // The empty line after the last row is one more stage, of 0 rows.
    next = read_next_count(*world, reader);
    ASSERT_FALSE(next.error);
    ASSERT_FALSE(next.end_of_file);
    EXPECT_EQ(world->stage_rows, 0);
    next_stage();
    ASSERT_FALSE(build_stage(*world, reader));
    EXPECT_EQ(world->wall_count, 0);
    EXPECT_EQ(world->enemy_g_table[2].left, empty_marker);

    next = read_next_count(*world, reader);
    EXPECT_FALSE(next.error);
    EXPECT_TRUE(next.end_of_file);
    EXPECT_EQ(world->stage_rows, 0);
}

TEST_F(StageFile, LenientCountLinesAndCrOnlyLineEnds) {
    // " 3" and "3x" both give 3; lines may end in CR alone; letters give 0.
    const std::string path = write("map.dat", " 3\raaa\raba\raaa\r3x\r\naaa\r\naba\r\naaa\r\nabc");
    ASSERT_FALSE(open_stage_file(*world, reader, path));
    EXPECT_EQ(world->stage_rows, 3);
    ASSERT_FALSE(build_stage(*world, reader));
    NextCount next = read_next_count(*world, reader);
    ASSERT_FALSE(next.error);
    EXPECT_EQ(world->stage_rows, 3);
    next_stage();
    ASSERT_FALSE(build_stage(*world, reader));
    next = read_next_count(*world, reader);
    ASSERT_FALSE(next.error);
    EXPECT_FALSE(next.end_of_file);
    EXPECT_EQ(world->stage_rows, 0);
    EXPECT_TRUE(read_next_count(*world, reader).end_of_file);
}

TEST_F(StageFile, ByteOrderMarkAtTheStartIsSkipped) {
    const std::string path = write("bom.dat", "\xef\xbb\xbf" + file_of({framed(5, 4, 2, 2)}));
    ASSERT_FALSE(open_stage_file(*world, reader, path));
    EXPECT_EQ(world->stage_rows, 4);
    ASSERT_FALSE(build_stage(*world, reader));
    EXPECT_EQ(world->wall_count, 5 + 2 + 2 + 5);
    expect_rejected("\xef\xbb\xbf", 0, "empty");
}

TEST_F(StageFile, CancelledDialogLeavesTheTitleWithTheFileTried) {
    mapload_cancelled(*world);
    EXPECT_EQ(world->stage_file_open, 1);
    EXPECT_EQ(world->game_state, state_title);
    EXPECT_EQ(default_stage_file_path("/opt/vorne"), "/opt/vorne/map.dat");
    EXPECT_EQ(default_stage_file_path("/opt/vorne/"), "/opt/vorne/map.dat");
}

TEST_F(StageFile, RejectsFilesThatCannotBeRead) {
    expect_rejected_path((folder / "missing.dat").string(), "No such file or directory");
    expect_rejected_path(folder.string(), "folder");
    expect_rejected("", 0, "empty");
}

TEST_F(StageFile, RejectsFilesWithLinuxLineEndsSayingSo) {
    expect_rejected("3\naaa\naba\naaa\n", 0, "LF alone");
    // Lines in CR LF that turn to LF alone part way: the stage runs out of lines.
    expect_rejected("3\r\naaa\naba\naaa\n", 1, "LF alone");
}

TEST_F(StageFile, RejectsAFileThatEndsInsideAStage) {
    expect_rejected("3\r\naaa\r\naba\r\n", 1, "ends after 2 of the stage's 3 rows");
    expect_rejected("3\r\n", 1, "ends after 0 of the stage's 3 rows");
}

TEST_F(StageFile, RejectsNegativeAbsurdAndOverlongCounts) {
    expect_rejected("-1\r\n", 1, "negative");
    expect_rejected("401\r\n", 1, "more than 400");
    expect_rejected("1e9\r\n", 1, "more than 400");
    expect_rejected("99999999999999999999999\r\n", 1, "more than 400");
    expect_rejected(std::string(70000, ' ') + "3\r\n", 1, "longer than 64 KiB");
}

TEST_F(StageFile, RejectsRowsOfMoreThan400Characters) {
    expect_rejected("1\r\n" + std::string(401, 'z') + "\r\n", 1, "401 characters");
    expect_rejected("1\r\n" + std::string(100000, 'z') + "\r\n", 1, "longer than 64 KiB");
    // 400 characters of three bytes each fit.
    std::string wide;
    for (int i = 0; i < 400; ++i)
        wide += "\xe3\x81\x82";
    const std::string path = write("wide.dat", "1\r\n" + wide + "\r\n");
    ASSERT_FALSE(open_stage_file(*world, reader, path));
    EXPECT_FALSE(build_stage(*world, reader));
    EXPECT_EQ(world->row_length, 400);
}

TEST_F(StageFile, RejectsTablesFilledPastTheirCapacity) {
    const std::string walls = std::string(201, 'a');
    expect_rejected("2\r\n" + walls + "\r\n" + walls + "\r\n", 1, "more than 400 walls");
    expect_rejected("1\r\n" + std::string(400, 'i') + "\r\n", 1, "more than 399 enemies of kind i");
    const std::string g = std::string(201, 'g');
    expect_rejected("2\r\n" + g + "\r\n" + g + "\r\n", 1, "more than 400 enemies of kind g");
    // Exactly full tables are fine: 400 keys leave key1_count at 401.
    const std::string keys = std::string(200, 'k');
    const std::string path = write("full.dat", "2\r\n" + keys + "\r\n" + keys + "\r\n");
    ASSERT_FALSE(open_stage_file(*world, reader, path));
    ASSERT_FALSE(build_stage(*world, reader));
    EXPECT_EQ(world->key1_count, table_capacity + 1);
}

TEST_F(StageFile, ProblemsInLaterStagesNameTheirStage) {
    const std::string good = file_of({framed(5, 4, 2, 2)});
    const std::string path = write("later.dat", good + "500\r\n");
    ASSERT_FALSE(open_stage_file(*world, reader, path));
    ASSERT_FALSE(build_stage(*world, reader));
    NextCount next = read_next_count(*world, reader);
    ASSERT_TRUE(next.error);
    EXPECT_NE(next.error->message().find("stage 2, line 6: the row count 500 is more than 400"),
              std::string::npos)
        << next.error->message();
    reject_stage_file(*world, reader);
    expect_title_state();

    expect_rejected(good + good + "2\r\naaaa\r\n", 3, "ends after 1 of the stage's 2 rows");
}

}  // namespace
}  // namespace vorne
