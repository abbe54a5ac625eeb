#include "stagefile/chars.h"

#include <gtest/gtest.h>

#include <string>

namespace vorne::stagefile {
namespace {

std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> out;
    for (std::string_view c : split_characters(text))
        out.emplace_back(c);
    return out;
}

TEST(SplitCharacters, ValidUtf8SequencesAreOneCharacterEach) {
    using V = std::vector<std::string>;
    EXPECT_EQ(split("abz"), (V{"a", "b", "z"}));
    EXPECT_EQ(split("a\xc3\xa9"
                    "b"),
              (V{"a", "\xc3\xa9", "b"}));                         // 2 bytes
    EXPECT_EQ(split("\xe3\x81\x82z"), (V{"\xe3\x81\x82", "z"}));  // 3 bytes
    EXPECT_EQ(split("\xf0\x9f\x98\x80"
                    "a"),
              (V{"\xf0\x9f\x98\x80", "a"}));                        // 4 bytes
    EXPECT_EQ(split("\xf4\x8f\xbf\xbf"), (V{"\xf4\x8f\xbf\xbf"}));  // U+10FFFF
    EXPECT_EQ(split("a\nb"), (V{"a", "\n", "b"}));                  // an LF is a character too
    EXPECT_TRUE(split("").empty());
}

TEST(SplitCharacters, EveryByteOutsideValidUtf8IsOneCharacter) {
    // Stray bytes, a truncated sequence, overlong forms, a surrogate and a
    // value past U+10FFFF: each byte counts alone.
    EXPECT_EQ(count_characters("\xff"), 1u);
    EXPECT_EQ(count_characters("\x80\x80"), 2u);
    EXPECT_EQ(count_characters("\xe3\x81"
                               "a"),
              3u);
    EXPECT_EQ(count_characters("\xe3\x81"), 2u);
    EXPECT_EQ(count_characters("\xc0\xaf"), 2u);
    EXPECT_EQ(count_characters("\xc1\xbf"), 2u);
    EXPECT_EQ(count_characters("\xe0\x80\xaf"), 3u);
    EXPECT_EQ(count_characters("\xf0\x80\x80\xaf"), 4u);
    EXPECT_EQ(count_characters("\xed\xa0\x80"), 3u);
    EXPECT_EQ(count_characters("\xf4\x90\x80\x80"), 4u);
    EXPECT_EQ(count_characters("\xf5\x80\x80\x80"), 4u);
    // A Shift-JIS pair is two characters here.
    EXPECT_EQ(count_characters("\x82\xa0"), 2u);
}

TEST(SplitCharacters, PiecesCoverTheTextExactly) {
    const std::string text = "a\xe3\x81\x82\xff\xe3\x81z\xf0\x9f\x98\x80\xed\xa0\x80";
    std::string joined;
    for (std::string_view c : split_characters(text)) {
        EXPECT_EQ(c.size(), character_length(c));
        joined += c;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(split_characters(text).size(), count_characters(text));
}

TEST(ReadableBytes, ShowsWhatPrintsAndEscapesTheRest) {
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"3 aba", "3 aba"},
        {"\xe3\x81\x82z", "\xe3\x81\x82z"},                 // UTF-8 as it is
        {"a\r\n\t\\", "a\\r\\n\\t\\\\"},                    // named escapes
        {std::string("\0\x7f\x1b", 3), "\\x00\\x7F\\x1B"},  // control bytes
        {"\xc2\x85", "\\xC2\\x85"},                         // a C1 control in UTF-8
        {"\xff\xe3\x81", "\\xFF\\xE3\\x81"},                // invalid and cut-short UTF-8
        {std::string(41, 'x'), std::string(40, 'x') + "..."},
        {std::string(40, 'x'), std::string(40, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readable_bytes(c.bytes), c.shown) << c.shown;
}

}  // namespace
}  // namespace vorne::stagefile
