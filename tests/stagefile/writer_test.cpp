#include "stagefile/writer.h"

#include <gtest/gtest.h>

namespace vorne::stagefile {
namespace {

TEST(FormatBlock, CountLineThenRowsEachEndedByCrLf) {
    EXPECT_EQ(format_block(2, {"aaa", "abz"}), "2\r\naaa\r\nabz\r\n");
    // An empty block is its count line alone; the count is written as given.
    EXPECT_EQ(format_block(0, {}), "0\r\n");
    EXPECT_EQ(format_block(12, {}), "12\r\n");
}

TEST(FormatBlock, RowsAreWrittenByteForByte) {
    // A multi-byte character and an empty row pass through unchanged.
    EXPECT_EQ(format_block(2, {"a\xe3\x81\x82z", ""}), "2\r\na\xe3\x81\x82z\r\n\r\n");
}

}  // namespace
}  // namespace vorne::stagefile
