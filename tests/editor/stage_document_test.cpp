// The stage file document: every block of a file, edits of the sequence
// undone by snapshots, saves that keep untouched blocks byte for byte, and the
// recovery file.
#include "editor/stage_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "stagefile/check.h"

#include "tests/support/temp_folder.h"

namespace vorne::editor {
namespace {

namespace fs = std::filesystem;

class StageDocumentTest : public testing_support::TempFolderTest {
  protected:
    StageDocumentTest() : TempFolderTest("stage_document") {}
};

StageDocument opened(const std::string& bytes) {
    StageDocument document;
    std::string error;
    EXPECT_TRUE(document.open_bytes("t.dat", bytes, error)) << error;
    return document;
}

// The block a stage is written as in the editor's format.
std::string block_of(const StageState& state) {
    StageModel model;
    model.restore(state);
    return model.stage_block();
}

// Three stages: odd spacing on a count line, CR-only line ends, a foreign
// letter; the last line has no line end.
const std::string kThree = " 2 \r\naa\r\naa\r\n1\rb\xe3\x81\x82\r3\r\nxyz\r\nx\r\nxyz";

TEST_F(StageDocumentTest, TheBundledFileOpensWholeAndWritesBackUnchanged) {
    const std::string file = std::string(std::getenv("VORNE_SOURCE_DIR")) + "/assets/map.dat";
    StageDocument document;
    std::string error;
    ASSERT_TRUE(document.open(file, error)) << error;
    EXPECT_EQ(document.stage_count(), 10);
    EXPECT_EQ(document.path(), file);
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(document.bytes(), read(file));
    // Stage 1 is what the single-stage load has always given.
    StageModel model;
    ASSERT_TRUE(load_stage(model, file, error)) << error;
    EXPECT_EQ(document.stage(0), model.state());
}

TEST_F(StageDocumentTest, EveryBlockIsKeptWithItsOwnBytes) {
    const struct {
        const char* name;
        std::string bytes;
        int32_t stages;
        int32_t stage;  // the stage whose cut rows are looked at
        std::vector<CutRow> cut_rows;
    } cases[] = {
        {"mark",
         "\xEF\xBB\xBF"
         "1\r\na\r\n2\r\nab\r\nb\r\n",
         2,
         1,
         {}},
        {"no last line end", "1\r\nab\r\n1\r\ncd", 2, 1, {}},
        {"odd letters", kThree, 3, 2, {}},
        {"rows longer than row 1",
         "1\r\na\r\n3\r\naaa\r\nazzza\r\naaaaaa\r\n",
         2,
         1,
         {{2, 2}, {3, 3}}},
        // A line after the last stage is a stage of no rows to the game.
        {"blank last line", "1\r\na\r\n\r\n", 2, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const StageDocument document = opened(c.bytes);
        EXPECT_EQ(document.stage_count(), c.stages);
        EXPECT_EQ(document.bytes(), c.bytes);
        EXPECT_FALSE(document.modified());
        EXPECT_EQ(document.cut_rows(c.stage), c.cut_rows);
    }
    const StageDocument three = opened(kThree);
    EXPECT_EQ(three.stage(1).edit_grid[2][1], "\xe3\x81\x82");
    EXPECT_EQ(three.stage(2).stage_width, 3);
    EXPECT_EQ(three.stage(2).edit_grid[2][2], "");  // short row 2 of the last stage
}

TEST_F(StageDocumentTest, RefusedFilesSayWhereAndLeaveTheDocument) {
    std::string rows21 = "21\r\n";
    for (int i = 0; i < 21; ++i)
        rows21 += "aaa\r\n";
    // Files the game refuses: the same words as the game's check gives.
    for (const std::string& bytes :
         std::vector<std::string>{"1\naa\n", "", "1\r\na\r\n3\r\nb\r\n", "1\r\na\r\n-2\r\n",
                                  "1\r\na\r\n1\r\n" + std::string(401, 'a') + "\r\n"}) {
        SCOPED_TRACE(bytes);
        StageDocument document = opened(kThree);
        std::string error;
        EXPECT_FALSE(document.open_bytes("t.dat", bytes, error));
        std::string words =
            stagefile::format_findings(stagefile::check_stage_bytes(bytes), "t.dat");
        words = words.substr(words.rfind("t.dat:"));
        EXPECT_EQ(error + " (the game refuses the file here)\n", words);
        EXPECT_EQ(document.bytes(), kThree);
    }
    // The editor's own limits, per stage.
    const struct {
        std::string bytes;
        const char* error;
    } limits[] = {
        {"1\r\na\r\n" + rows21,
         "t.dat: stage 2, line 3: the stage has 21 rows; the editor edits stages of at most 20"},
        {"1\r\na\r\n1\r\nb\r\n1\r\n" + std::string(21, 'a') + "\r\n",
         "t.dat: stage 3, line 6: the first row is 21 cells wide; a stage has at most 20"},
    };
    for (const auto& c : limits) {
        StageDocument document;
        std::string error;
        EXPECT_FALSE(document.open_bytes("t.dat", c.bytes, error));
        EXPECT_EQ(error, c.error);
    }
    std::string many;
    for (int i = 0; i <= kMaxStages; ++i)
        many += "0\r\n";
    StageDocument document;
    std::string error;
    EXPECT_FALSE(document.open_bytes("t.dat", many, error));
    EXPECT_NE(error.find("stage 1001, line 1001: the file holds more than 1000 stages"),
              std::string::npos)
        << error;
}

TEST_F(StageDocumentTest, SequenceEditsAreUndoneBySnapshots) {
    StageModel fresh;
    fresh.update_frame();
    const StageDocument base = opened(kThree);
    const StageState first = base.stage(0), second = base.stage(1), third = base.stage(2);
    const struct {
        const char* name;
        std::function<bool(StageDocument&)> edit;
        int32_t current;
        std::vector<StageState> stages;
    } cases[] = {
        {"insert",
         [](StageDocument& d) { return d.insert_stage(), true; },
         2,
         {first, second, fresh.state(), third}},
        {"duplicate",
         [](StageDocument& d) { return d.duplicate_stage(), true; },
         2,
         {first, second, second, third}},
        {"delete", [](StageDocument& d) { return d.delete_stage(); }, 1, {first, third}},
        {"move up", [](StageDocument& d) { return d.move_up(); }, 0, {second, first, third}},
        {"move down", [](StageDocument& d) { return d.move_down(); }, 2, {first, third, second}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StageDocument document = base;
        document.set_current(1);
        const DocumentState before = document.snapshot();
        ASSERT_TRUE(c.edit(document));
        EXPECT_EQ(document.current(), c.current);
        ASSERT_EQ(document.stage_count(), static_cast<int32_t>(c.stages.size()));
        for (int32_t i = 0; i < document.stage_count(); ++i)
            EXPECT_EQ(document.stage(i), c.stages[static_cast<size_t>(i)]) << i;
        EXPECT_TRUE(document.modified());
        document.restore(before);
        EXPECT_EQ(document.current(), 1);
        EXPECT_EQ(document.bytes(), kThree);
        EXPECT_FALSE(document.modified());
    }
    // The ends of the sequence; moving there and back is no change.
    StageDocument document = opened("1\r\na\r\n");
    EXPECT_FALSE(document.delete_stage());
    EXPECT_FALSE(document.move_up());
    EXPECT_FALSE(document.move_down());
    document = base;
    EXPECT_TRUE(document.move_down());
    EXPECT_TRUE(document.move_up());
    EXPECT_FALSE(document.modified());
    // A stage set to what it holds is not changed.
    EXPECT_FALSE(document.set_stage(1, second));
    EXPECT_FALSE(document.modified());
    // Nor one that differs only where the frame step puts walls back.
    StageState edited = second;
    edited.edit_grid[1][1] = "c";
    document.set_stage(1, edited);
    EXPECT_FALSE(document.stage_changed(1));
    edited.stage_height = 3;
    EXPECT_TRUE(document.set_stage(1, edited));
    EXPECT_TRUE(document.stage_changed(1));
    EXPECT_TRUE(document.modified());
    // Edited back, it is unchanged again and keeps its bytes.
    EXPECT_TRUE(document.set_stage(1, second));
    EXPECT_FALSE(document.modified());
}

TEST_F(StageDocumentTest, SaveRewritesOnlyChangedStages) {
    const std::string block1 = " 3 \r\naaa\r\naza\raaa\r\n";        // spacing, a CR-only line end
    const std::string block2 = "1\r\nq\xe3\x81\x82\xff\r\n";        // odd letters
    const std::string block3 = "3\r\naaaa\r\naaaaaaa\r\naaaa\r\n";  // a long row
    const std::string block4 = "1\r\nzz";                           // no last line end
    write(path("map.dat"), "\xEF\xBB\xBF" + block1 + block2 + block3 + block4);
    StageDocument document;
    std::string error;
    ASSERT_TRUE(document.open(path("map.dat"), error)) << error;
    StageState third = document.stage(2);
    third.edit_grid[2][2] = "b";
    document.set_stage(2, third);
    ASSERT_TRUE(document.save(error)) << error;
    const std::string saved =
        "\xEF\xBB\xBF" + block1 + block2 + "3\r\naaaa\r\nabaa\r\naaaa\r\n" + block4;
    EXPECT_EQ(read(path("map.dat")), saved);
    EXPECT_FALSE(document.modified());
    EXPECT_FALSE(document.stage_changed(2));
    EXPECT_TRUE(document.cut_rows(2).empty());  // the long row is gone from the file

    // Whatever follows the last block, it gets its line end; the file reads
    // back with every stage.
    const struct {
        const char* name;
        std::function<void(StageDocument&)> edit;
        std::string tail;  // the file after block 2
    } cases[] = {
        {"insert after it", [](StageDocument& d) { d.set_current(3), d.insert_stage(); },
         "3\r\naaaa\r\nabaa\r\naaaa\r\n" + block4 + "\r\n" + block_of(StageDocument().stage(0))},
        {"moved up", [](StageDocument& d) { d.set_current(3), d.move_up(); },
         block4 + "\r\n3\r\naaaa\r\nabaa\r\naaaa\r\n"},
        {"duplicated", [](StageDocument& d) { d.set_current(3), d.duplicate_stage(); },
         "3\r\naaaa\r\nabaa\r\naaaa\r\n" + block4 + "\r\n" + block4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StageDocument copy = document;
        c.edit(copy);
        ASSERT_TRUE(copy.save_as(path("copy.dat"), error)) << error;
        EXPECT_EQ(copy.path(), path("copy.dat"));
        EXPECT_EQ(read(path("copy.dat")), "\xEF\xBB\xBF" + block1 + block2 + c.tail);
        StageDocument again;
        ASSERT_TRUE(again.open(path("copy.dat"), error)) << error;
        EXPECT_EQ(again.stage_count(), copy.stage_count());
        EXPECT_FALSE(copy.modified());
        EXPECT_EQ(copy.bytes(), again.bytes());
    }
    EXPECT_EQ(read(path("map.dat")), saved);

    StageDocument unnamed;
    EXPECT_FALSE(unnamed.save(error));
    EXPECT_EQ(error, "the stages belong to no file yet: save them under a name first");
}

TEST(RecoveryFolder, FollowsXdgStateHomeThenHome) {
    const struct {
        const char* xdg;
        const char* home;
        std::string folder;
    } cases[] = {
        {"/x/state", "/home/u", "/x/state/draskel"},
        {nullptr, "/home/u", "/home/u/.local/state/draskel"},
        {"relative", "/home/u", "/home/u/.local/state/draskel"},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recovery_folder(c.xdg, c.home), c.folder) << (c.xdg ? c.xdg : "(unset)");
}

void expect_same(const DocumentState& a, const DocumentState& b) {
    EXPECT_EQ(a.current, b.current);
    EXPECT_EQ(a.leading, b.leading);
    EXPECT_EQ(a.trailing, b.trailing);
    ASSERT_EQ(a.stages.size(), b.stages.size());
    for (size_t i = 0; i < a.stages.size(); ++i) {
        SCOPED_TRACE("stage " + std::to_string(i + 1));
        EXPECT_EQ(*a.stages[i].state, *b.stages[i].state);
        EXPECT_EQ(a.stages[i].changed, b.stages[i].changed);
        EXPECT_EQ(!a.stages[i].original, !b.stages[i].original);
        if (a.stages[i].original && b.stages[i].original) {
            EXPECT_EQ(*a.stages[i].original, *b.stages[i].original);
        }
        EXPECT_EQ(a.stages[i].cut_rows, b.stages[i].cut_rows);
    }
}

TEST_F(StageDocumentTest, RecoveryRoundTripsAStageAndADocument) {
    const std::string file = recovery_file(path("state/draskel"));
    StageModel model;
    model.update_frame();
    model.set_stage_width(12);
    const char* odd[] = {"", "%", " ", "\n", "\xe3\x81\x82", "\xff", "ab", "%41"};
    for (int32_t x = 0; x < 8; ++x)
        model.cell(x + 2, 3) = odd[x];
    std::string error;
    EXPECT_FALSE(recovery_exists(file));
    ASSERT_TRUE(write_recovery(file, stage_recovery(model.state()), error)) << error;
    EXPECT_TRUE(recovery_exists(file));
    Recovery back;
    ASSERT_TRUE(read_recovery(file, back, error)) << error;
    EXPECT_FALSE(back.whole_document);
    EXPECT_EQ(back.stage, model.state());

    StageDocument document =
        opened("\xEF\xBB\xBF" + kThree.substr(0, kThree.size() - 3) + "xyzzy\r\nx\r\nx y%\r\n");
    document.set_current(1);
    document.insert_stage();
    StageState edited = document.stage(0);
    edited.edit_grid[1][2] = "\xe3\x81\x82";
    document.set_stage(0, edited);
    ASSERT_TRUE(write_recovery(file, document_recovery(document), error)) << error;
    ASSERT_TRUE(read_recovery(file, back, error)) << error;
    ASSERT_TRUE(back.whole_document);
    EXPECT_EQ(back.path, "t.dat");
    expect_same(back.document, document.snapshot());
    StageDocument recovered;
    recovered.recover(back.path, back.document);
    EXPECT_EQ(recovered.bytes(), document.bytes());
    EXPECT_TRUE(recovered.modified());

    ASSERT_TRUE(remove_recovery(file, error)) << error;
    EXPECT_FALSE(recovery_exists(file));
    EXPECT_TRUE(remove_recovery(file, error)) << error;
}

// The end line of a recovery text as the format defines it (FNV-1a 64), so
// that damage the sum cannot see is made too.
std::string with_end_line(const std::string& body) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : body) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(hash));
    return body + "end=" + sum + "\n";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

TEST_F(StageDocumentTest, ADamagedRecoveryFileIsRefused) {
    const std::string good = format_recovery(document_recovery(opened(kThree)));
    const std::string body = good.substr(0, good.rfind("end="));
    ASSERT_EQ(with_end_line(body), good);
    const size_t at = body.find("original=");
    const std::string first_original = body.substr(at, body.find('\n', at) + 1 - at);
    std::string flipped = good;
    flipped[body.find("row=") + 4] = 'b';
    const struct {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"empty", "", "not a recovery file"},
        {"cut in the middle", good.substr(0, good.size() / 2), "cut short"},
        {"cut in the end line", good.substr(0, good.size() - 1), "cut short"},
        {"a line after the end line", good + "x\n", "cut short"},
        {"a changed cell", flipped, "damaged (its end sum"},
        // Damage with a matching sum.
        {"a cell missing", with_end_line(replaced(body, "row=a a ", "row=a ")),
         "20 cells expected, 19 found"},
        {"a bad escape", with_end_line(replaced(body, "row=a a ", "row=%G1 a ")),
         "a damaged %XX escape"},
        {"a stage missing", with_end_line(replaced(body, "stages=3", "stages=4")),
         "\"stage=\" expected, the text ends early"},
        {"unchanged without bytes", with_end_line(replaced(body, first_original, "original=\n")),
         "an unchanged stage without its bytes"},
        {"a line more", with_end_line(body + "row=\n"), "a line more than the stages hold"},
    };
    const std::string file = path("recovery.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(file, c.text);
        Recovery recovery;
        recovery.path = "kept";
        std::string error;
        EXPECT_FALSE(read_recovery(file, recovery, error));
        EXPECT_NE(error.find(file + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(recovery.path, "kept");
    }
}

}  // namespace
}  // namespace vorne::editor
