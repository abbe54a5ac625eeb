#include "stagefile/reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vorne::stagefile {
namespace {

std::vector<std::string> all_lines(Reader& reader) {
    std::vector<std::string> lines;
    std::string line;
    while (reader.read_line(line))
        lines.push_back(line);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(Reader, LinesEndAtCrOrCrLfAndTheLastMayEndAtTheEnd) {
    Reader reader;
    reader.open_text("t.dat", "2\r\naa\rbb\r\ncc");
    EXPECT_EQ(all_lines(reader), (Lines{"2", "aa", "bb", "cc"}));
    EXPECT_EQ(reader.lines_read(), 4);
    EXPECT_FALSE(reader.saw_lone_line_feed());
}

TEST(Reader, LoneLineFeedIsACharacterOfTheLine) {
    Reader reader;
    reader.open_text("t.dat", "aa\nbb\r\n\ncc\r\n");
    EXPECT_EQ(all_lines(reader), (Lines{"aa\nbb", "\ncc"}));
    EXPECT_TRUE(reader.saw_lone_line_feed());
}

TEST(Reader, EmptyLinesAreLinesAndCrCrLfIsTwoLines) {
    Reader reader;
    reader.open_text("t.dat", "1\r\naa\r\n\r\nx\r\r\ny");
    EXPECT_EQ(all_lines(reader), (Lines{"1", "aa", "", "x", "", "y"}));
    std::string line = "junk";
    EXPECT_FALSE(reader.read_line(line));
    EXPECT_TRUE(line.empty());
    EXPECT_TRUE(reader.at_end());
}

TEST(Reader, ALineLongerThanTheLimitStopsReadingThere) {
    Reader reader;
    reader.open_text("t.dat", "1\r\n" + std::string(max_line_bytes, 'a') + "\r\n" +
                                  std::string(max_line_bytes + 1, 'b') + "\r\nc\r\n");
    std::string line;
    ASSERT_TRUE(reader.read_line(line));
    ASSERT_TRUE(reader.read_line(line));
    EXPECT_EQ(line.size(), max_line_bytes);
    EXPECT_FALSE(reader.read_line(line));
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(reader.problem_line(), 3);
    EXPECT_NE(reader.problem().find("64 KiB"), std::string::npos) << reader.problem();
    // Nothing more is read after a problem.
    EXPECT_TRUE(reader.at_end());
    EXPECT_FALSE(reader.read_line(line));
}

TEST(Reader, FilesOnDiskReadTheSameAndScanTheirLineEnds) {
    const auto path = std::filesystem::temp_directory_path() / "vorne_reader_test.dat";
    {
        std::ofstream out(path, std::ios::binary);
        out << "1\naa\nbb\n";
    }
    Reader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path.string(), &error)) << error;
    EXPECT_FALSE(reader.at_end());
    bool cr = true, lf = false;
    ASSERT_TRUE(reader.scan_line_ends(cr, lf));
    EXPECT_FALSE(cr);
    EXPECT_TRUE(lf);
    // The scan goes back to where reading was.
    EXPECT_EQ(all_lines(reader), (Lines{"1\naa\nbb\n"}));
    EXPECT_FALSE(reader.failed());
    reader.close();
    std::filesystem::remove(path);
}

TEST(Reader, MissingFilesAndFoldersAreRefusedByName) {
    Reader reader;
    std::string error;
    EXPECT_FALSE(reader.open("/nonexistent/vorne/map.dat", &error));
    EXPECT_NE(error.find("/nonexistent/vorne/map.dat"), std::string::npos);
    EXPECT_FALSE(reader.is_open());
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_FALSE(reader.open(folder, &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    EXPECT_FALSE(reader.is_open());
    EXPECT_TRUE(reader.at_end());
}

// The offset after each line is where the next one starts, whether the file
// is read from memory or from disk in 64 KiB pieces (a CR LF split between
// two pieces included).
TEST(Reader, OffsetIsWhereTheNextLineStarts) {
    const std::string long_line(64 * 1024 - 4, 'a');
    const struct {
        std::string text;
        std::vector<uint64_t> offsets;  // after the mark, then after each line
    } cases[] = {
        {"2\r\naa\rbb", {0, 3, 6, 8}},
        {"\xEF\xBB\xBF"
         "1\r\n\r\nx\n",
         {3, 6, 8, 10}},
        {"1\r\n" + long_line + "\r\nb\r\n",
         {0, 3, 3 + long_line.size() + 2, 3 + long_line.size() + 5}},
    };
    const auto path = std::filesystem::temp_directory_path() / "vorne_reader_offset.dat";
    for (const auto& c : cases) {
        {
            std::ofstream out(path, std::ios::binary);
            out << c.text;
        }
        Reader in_memory, on_disk;
        in_memory.open_text("t.dat", c.text);
        ASSERT_TRUE(on_disk.open(path.string()));
        for (Reader* reader : {&in_memory, &on_disk}) {
            reader->skip_byte_order_mark();
            std::vector<uint64_t> offsets{reader->offset()};
            std::string line;
            while (reader->read_line(line))
                offsets.push_back(reader->offset());
            EXPECT_EQ(offsets, c.offsets) << (reader == &on_disk ? "on disk" : "in memory");
        }
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace vorne::stagefile
