// The editor's file commands: loading the first block of a stage file, saving
// a stage alone and appending it, and what a failure leaves behind.
#include "editor/stage_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_folder.h"

namespace vorne::editor {
namespace {

namespace fs = std::filesystem;

class StageFiles : public testing_support::TempFolderTest {
  protected:
    StageFiles() : TempFolderTest("editor_files") {}

    size_t files_in_folder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }
};

// The start stage after its first frame step, as saved.
std::string framed_start_stage() {
    std::string block = "10\r\naaaaaaaaaa\r\n";
    for (int i = 0; i < 8; ++i)
        block += "azzzzzzzza\r\n";
    return block + "aaaaaaaaaa\r\n";
}

using test::FileSizeLimit;

TEST_F(StageFiles, SavingRightAfterStartWritesElevenLines) {
    StageModel model;
    model.update_frame();
    std::string error;
    ASSERT_TRUE(save_stage_alone(model, path("one.dat"), error)) << error;
    EXPECT_EQ(read(path("one.dat")), framed_start_stage());

    // Saving alone again replaces the file rather than adding to it.
    ASSERT_TRUE(save_stage_alone(model, path("one.dat"), error)) << error;
    EXPECT_EQ(read(path("one.dat")), framed_start_stage());
    EXPECT_EQ(files_in_folder(), 1u);
}

TEST_F(StageFiles, AppendingTwiceGivesTwoIdenticalBlocks) {
    StageModel model;
    model.update_frame();
    model.cell(3, 4) = "b";
    std::string error;
    ASSERT_TRUE(save_stage_appended(model, path("map.dat"), error)) << error;
    ASSERT_TRUE(save_stage_appended(model, path("map.dat"), error)) << error;
    const std::string block = model.stage_block();
    EXPECT_EQ(read(path("map.dat")), block + block);
}

TEST_F(StageFiles, AppendingAfterAnUnterminatedLastRowStartsANewLine) {
    StageModel model;
    model.set_stage_width(2);
    model.set_stage_height(2);
    model.update_frame();
    std::string error;
    write(path("a.dat"), "1\r\naaa");
    ASSERT_TRUE(save_stage_appended(model, path("a.dat"), error)) << error;
    EXPECT_EQ(read(path("a.dat")), "1\r\naaa\r\n2\r\naa\r\naa\r\n");
    // A line feed alone is part of the line, so it gets its CR LF too; a
    // file ending in CR or CR LF is left as it is.
    write(path("b.dat"), "1\r\naaa\n");
    ASSERT_TRUE(save_stage_appended(model, path("b.dat"), error)) << error;
    EXPECT_EQ(read(path("b.dat")), "1\r\naaa\n\r\n2\r\naa\r\naa\r\n");
    write(path("c.dat"), "1\raaa\r");
    ASSERT_TRUE(save_stage_appended(model, path("c.dat"), error)) << error;
    EXPECT_EQ(read(path("c.dat")), "1\raaa\r2\r\naa\r\naa\r\n");
}

TEST_F(StageFiles, LoadTakesTheFirstBlockWithShortAndLongRows) {
    // Our own small stage: row 3 is short, row 4 is long, a foreign letter,
    // and a second block that must be ignored.
    write(path("s.dat"),
          " 5 \r\n"
          "aaaaaa\r\n"
          "abzzXa\r\n"
          "azz\r\n"
          "adzzzaaaa\r\n"
          "aaaaaa\r\n"
          "3\r\naaa\r\naza\r\naaa\r\n");
    StageModel model;
    model.update_frame();
    model.cell(8, 8) = "d";  // outside the loaded extent: kept
    std::string error;
    ASSERT_TRUE(load_stage(model, path("s.dat"), error)) << error;
    EXPECT_EQ(model.stage_width, 6);
    EXPECT_EQ(model.stage_height, 5);
    EXPECT_EQ(model.framed_width, 6);
    EXPECT_EQ(model.framed_height, 5);
    EXPECT_EQ(model.cell(5, 2), "X");
    EXPECT_EQ(model.cell(3, 3), "z");
    EXPECT_EQ(model.cell(4, 3), "");
    EXPECT_EQ(model.cell(6, 3), "");
    EXPECT_EQ(model.cell(6, 4), "a");
    EXPECT_EQ(model.cell(7, 4), "z");  // the cut part is not loaded
    EXPECT_EQ(model.cell(8, 8), "d");
    EXPECT_EQ(model.cell(10, 10), "a");

    // The frame step walls the short row's end; the empty cells inside stay.
    model.update_frame();
    EXPECT_EQ(model.stage_block(), "5\r\naaaaaa\r\nabzzXa\r\nazza\r\nadzzza\r\naaaaaa\r\n");
    EXPECT_EQ(model.cell(5, 3), "");
}

TEST_F(StageFiles, AShortRowIsSavedBackShort) {
    write(path("short.dat"), "3\r\naaaa\r\naz\r\naaaa\r\n");
    StageModel model;
    std::string error;
    ASSERT_TRUE(load_stage(model, path("short.dat"), error)) << error;
    ASSERT_TRUE(save_stage_alone(model, path("again.dat"), error)) << error;
    EXPECT_EQ(read(path("again.dat")), "3\r\naaaa\r\naz\r\naaaa\r\n");
}

TEST_F(StageFiles, MultiByteCharactersAreOneCellEach) {
    write(path("u.dat"),
          "1\r\na\xe3\x81\x82"
          "a\r\n");
    StageModel model;
    std::string error;
    ASSERT_TRUE(load_stage(model, path("u.dat"), error)) << error;
    EXPECT_EQ(model.stage_width, 3);
    EXPECT_EQ(model.cell(2, 1), "\xe3\x81\x82");
}

TEST_F(StageFiles, RejectedFilesChangeNothingAndSayWhy) {
    std::string rows21 = "21\r\n";
    for (int i = 0; i < 21; ++i)
        rows21 += "aaaaa\r\n";
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"rows21.dat", rows21,
         "stage 1, line 1: the stage has 21 rows; the editor edits stages "
         "of at most 20"},
        {"wide.dat", "2\r\naaaaaaaaaaaaaaaaaaaaa\r\naaa\r\n",
         "line 2: the first row is 21 cells wide"},
        // Refused as the game refuses them, in the game's words.
        {"negative.dat", "-1\r\n", "stage 1, line 1: the row count -1 is negative"},
        {"short.dat", "4\r\naaa\r\naaa\r\n", "line 3: the file ends after 2 of the stage's 4 rows"},
        {"empty.dat", "", "empty"},
        {"linux.dat", "2\naaa\naaa\n", "LF alone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(path(c.name), c.bytes);
        StageModel model;
        model.update_frame();
        model.cell(4, 4) = "k";
        const StageModel before = model;
        std::string error;
        EXPECT_FALSE(load_stage(model, path(c.name), error));
        EXPECT_NE(error.find(path(c.name)), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(model.edit_grid, before.edit_grid);
        EXPECT_EQ(model.stage_width, 10);
        EXPECT_EQ(model.stage_height, 10);
    }
    StageModel model;
    std::string error;
    EXPECT_FALSE(load_stage(model, path("missing.dat"), error));
    EXPECT_NE(error.find(path("missing.dat")), std::string::npos) << error;
    EXPECT_FALSE(load_stage(model, folder_.string(), error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
}

TEST_F(StageFiles, AcceptsTheEdgesOfTheRanges) {
    std::string rows20 = "20\r\n";
    for (int i = 0; i < 20; ++i)
        rows20 += "aaaaaaaaaaaaaaaaaaaa\r\n";
    write(path("full.dat"), rows20);
    write(path("none.dat"), "0\r\n");
    StageModel model;
    std::string error;
    ASSERT_TRUE(load_stage(model, path("full.dat"), error)) << error;
    EXPECT_EQ(model.stage_width, 20);
    EXPECT_EQ(model.stage_height, 20);
    ASSERT_TRUE(load_stage(model, path("none.dat"), error)) << error;
    EXPECT_EQ(model.stage_width, 0);
    EXPECT_EQ(model.stage_height, 0);
    // The count as the game reads it, after a byte order mark as the game skips it.
    write(path("bom.dat"), "\xEF\xBB\xBF 3a\r\naaa\r\naba\r\naaa\r\n");
    ASSERT_TRUE(load_stage(model, path("bom.dat"), error)) << error;
    EXPECT_EQ(model.stage_height, 3);
    EXPECT_EQ(model.cell(2, 2), "b");
}

TEST_F(StageFiles, AFailedSaveAloneLeavesTheOldFileWhole) {
    write(path("map.dat"), "1\r\naaa\r\n");
    StageModel model;
    model.update_frame();
    std::string error;
    {
        FileSizeLimit limit(40);  // the stage block is 124 bytes
        EXPECT_FALSE(save_stage_alone(model, path("map.dat"), error));
    }
    EXPECT_NE(error.find(path("map.dat")), std::string::npos) << error;
    EXPECT_EQ(read(path("map.dat")), "1\r\naaa\r\n");
    EXPECT_EQ(files_in_folder(), 1u);  // no half-written file left beside it

    EXPECT_FALSE(save_stage_alone(model, path("no/such/folder.dat"), error));
    EXPECT_NE(error.find("no/such/folder.dat"), std::string::npos) << error;
    EXPECT_FALSE(save_stage_alone(model, folder_.string(), error));
}

TEST_F(StageFiles, AFailedAppendLeavesTheFileAsItWas) {
    const std::string before = "1\r\naaa";  // the CR LF it would get is taken back too
    write(path("map.dat"), before);
    StageModel model;
    model.update_frame();
    std::string error;
    {
        FileSizeLimit limit(60);
        EXPECT_FALSE(save_stage_appended(model, path("map.dat"), error));
        // A file the append would have created is not left behind.
        EXPECT_FALSE(save_stage_appended(model, path("new.dat"), error));
    }
    EXPECT_NE(error.find(path("new.dat")), std::string::npos) << error;
    EXPECT_EQ(read(path("map.dat")), before);
    EXPECT_FALSE(fs::exists(path("new.dat")));

    EXPECT_FALSE(save_stage_appended(model, path("no/such/folder.dat"), error));
    EXPECT_NE(error.find("no/such/folder.dat"), std::string::npos) << error;
}

TEST_F(StageFiles, SavingAloneKeepsTheFilesPermissionsAndFollowsLinks) {
    write(path("map.dat"), "old");
    fs::permissions(path("map.dat"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(path("map.dat"), path("link.dat"));
    StageModel model;
    model.update_frame();
    std::string error;
    ASSERT_TRUE(save_stage_alone(model, path("link.dat"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(path("link.dat")));
    EXPECT_EQ(read(path("map.dat")), framed_start_stage());
    EXPECT_EQ(fs::status(path("map.dat")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace vorne::editor
