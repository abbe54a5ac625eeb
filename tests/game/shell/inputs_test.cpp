#include "game/shell/inputs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <utility>

namespace vorne {
namespace {

TEST(Inputs, LinesRepeatsCommentsAndBlankLines) {
    std::string error;
    auto steps = parse_inputs(
        "# walk right\n40*1 0 0\n\n  # indented comment\n-1 1 3\r\n2*0 -1 15\n", "in.txt", error);
    ASSERT_TRUE(steps) << error;
    ASSERT_EQ(steps->size(), 3u);
    EXPECT_EQ((*steps)[0].count, 40);
    EXPECT_EQ((*steps)[0].stick_x, 1);
    EXPECT_EQ((*steps)[1].count, 1);
    EXPECT_EQ((*steps)[1].stick_x, -1);
    EXPECT_EQ((*steps)[1].stick_y, 1);
    EXPECT_EQ((*steps)[1].buttons, 3);
    EXPECT_EQ((*steps)[2].buttons, 15);
}

TEST(Inputs, BadLinesNameFileAndLine) {
    for (const char* text : {"1 0\n", "1 0 0 0\n", "2 0 0\n", "0 0 64\n", "0*1 0 0\n", "x*1 0 0\n",
                             "1 0 -1\n", "a b c\n"}) {
        std::string error;
        EXPECT_FALSE(parse_inputs(std::string("0 0 0\n") + text, "in.txt", error)) << text;
        EXPECT_EQ(error.rfind("in.txt:2: ", 0), 0u) << error;
    }
}

// Lines end in LF or CR LF and hold at most 4096 bytes; a message quotes at
// most 40 characters of the file, escaped.
TEST(Inputs, LineEndsAndLengths) {
    const std::string longest = "0 0 0" + std::string(max_input_line_bytes - 5, ' ');
    std::string binary(6000, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i % 251 == 10 || i % 251 == 13 ? 'x' : i % 251);
    struct Case {
        std::string text;
        size_t steps;  // when accepted
        std::string says;
    };
    for (const Case& c : std::vector<Case>{
             {"0 0 1\r\n1 0 0\n", 2, ""},
             {"0 0 1\r", 1, ""},
             {longest + "\r\n" + longest, 2, ""},
             {"# one\r0 0 1\r0 0 0\r", 0, "in.txt: has CR line ends"},
             {std::string(20000, '\r'), 0, "in.txt: has CR line ends"},
             {"0 0 0\n" + longest + " \n", 0, "in.txt:2: line longer than 4096 bytes in '0 0 0 "},
             {"0 0 0\n" + binary, 0, "in.txt:2: line longer than 4096 bytes in '\\x00\\x01"},
             {"1 0\t" + binary.substr(0, 200), 0, "in.txt:1: need three fields in '1 0\\t\\x00"},
         }) {
        std::string error;
        auto steps = parse_inputs(c.text, "in.txt", error);
        if (c.says.empty()) {
            ASSERT_TRUE(steps) << error;
            EXPECT_EQ(steps->size(), c.steps);
            continue;
        }
        EXPECT_FALSE(steps);
        EXPECT_EQ(error.rfind(c.says, 0), 0u) << error;
        size_t quote = error.find('\'');
        if (quote != std::string::npos) {
            size_t end = error.find("' (expected", quote);
            ASSERT_NE(end, std::string::npos) << error;
            // 40 characters, each escaped as at most four bytes, and "...".
            EXPECT_LE(end - quote - 1, 40u * 4 + 3) << error;
        }
        EXPECT_LT(error.size(), 300u) << error;
    }
}

// Only a readable regular file of at most 16 MiB is read; /dev/null is empty.
TEST(Inputs, FilesThatAreNotReadAreRefusedAtOnce) {
    const std::string dir = ::testing::TempDir() + "inputs_files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/folder");
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    std::ofstream(dir + "/large.txt", std::ios::binary)
        << "0 0 1\n"
        << std::string(max_inputs_bytes - 5, '\n');  // one byte too many
    for (const auto& [path, says] : std::vector<std::pair<std::string, std::string>>{
             {dir + "/missing.txt", "No such file"},
             {dir + "/folder", "is a folder"},
             {dir + "/fifo", "not a regular file"},
             {"/dev/zero", "not a regular file"},
             {dir + "/large.txt", "is larger than 16 MiB"},
         }) {
        std::string error;
        EXPECT_FALSE(read_inputs(path, error)) << path;
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
    std::string error;
    auto empty = read_inputs("/dev/null", error);
    ASSERT_TRUE(empty) << error;
    EXPECT_TRUE(empty->empty());
    std::filesystem::resize_file(dir + "/large.txt", max_inputs_bytes);
    auto largest = read_inputs(dir + "/large.txt", error);
    ASSERT_TRUE(largest) << error;
    EXPECT_EQ(largest->size(), 1u);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vorne
