#include "game/render/atlas_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "stagefile/hashes.h"

namespace vorne {
namespace {

AtlasGlyph glyph(uint32_t code, int32_t advance, int32_t box_left, int32_t box_top, int32_t ink_x,
                 int32_t ink_y, int32_t width, int32_t height, uint8_t value) {
    AtlasGlyph g{code, advance, box_left, box_top, ink_x, ink_y, width, height, {}};
    g.coverage.assign(static_cast<size_t>(width) * height, value);
    return g;
}

// One gothic 10 pt bold style: ascent 10, line skip 13, a missing character
// steps 5 pixels.
//   A  2 x 3 of 255 at the box's corner, steps 4
//   B  one pixel of 128 at (1, 1) of a box 2 left of the pen and 2 above the
//      ascent, steps 3.5
//   C  3 x 1 of 0x0F, steps 2; D the same in 0xF0; C D kerned 2 pixels closer
//   R  16 x 16 of every value, which the coder must give back as it was
Atlas small_atlas() {
    AtlasStyle style;
    style.face = Face::gothic;
    style.points = 10;
    style.bold = true;
    style.ascent = 10;
    style.line_skip = 13;
    style.missing_advance = 5 * 64;
    style.glyphs = {glyph('A', 4 * 64, 0, 10, 0, 0, 2, 3, 255),
                    glyph('B', 3 * 64 + 32, -2, 12, 1, 1, 1, 1, 128),
                    glyph('C', 2 * 64, 0, 10, 0, 0, 3, 1, 0x0F),
                    glyph('D', 2 * 64, 0, 10, 0, 0, 3, 1, 0xF0),
                    glyph('R', 64, 0, 10, 0, 0, 16, 16, 0)};
    for (size_t i = 0; i < style.glyphs.back().coverage.size(); ++i)
        style.glyphs.back().coverage[i] = static_cast<uint8_t>(i * 37 % 256);
    style.kerning = {{'C', 'D', -2 * 64}};
    return Atlas{{style}};
}

std::string small_atlas_bytes() {
    std::string error;
    std::optional<std::string> bytes = encode_atlas(small_atlas(), error);
    EXPECT_TRUE(bytes) << error;
    return bytes.value_or("");
}

const TextStyle white10{Face::gothic, 10, true, rgb(255, 255, 255)};

// The pixels text leaves on a black frame: white over black is the coverage.
std::map<std::pair<int, int>, int> drawn(AtlasText& text, double x, double y, std::string_view s,
                                         const TextStyle& style = white10) {
    FrameBuffer frame;
    text.draw_text(frame, x, y, s, style);
    std::map<std::pair<int, int>, int> pixels;
    for (int py = 0; py < frame.height(); ++py)
        for (int px = 0; px < frame.width(); ++px)
            if (frame.at(px, py) != rgb(0, 0, 0)) pixels[{px, py}] = frame.at(px, py) & 0xFF;
    return pixels;
}

std::map<std::pair<int, int>, int> block(int x, int y, int w, int h, int value) {
    std::map<std::pair<int, int>, int> pixels;
    for (int py = y; py < y + h; ++py)
        for (int px = x; px < x + w; ++px)
            pixels[{px, py}] = value;
    return pixels;
}

std::map<std::pair<int, int>, int> both(std::map<std::pair<int, int>, int> a,
                                        const std::map<std::pair<int, int>, int>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

TEST(AtlasText, ComposesALineAsTheDesktopDoes) {
    AtlasText text(small_atlas_bytes());
    ASSERT_TRUE(text.ready()) << text.error();
    struct Case {
        const char* what;
        double x, y;
        std::string text;
        std::map<std::pair<int, int>, int> pixels;
    };
    const Case cases[] = {
        {"one glyph at the pen", 10, 20, "A", block(10, 20, 2, 3, 255)},
        {"positions rounded as std::lround", 10.5, 20.4, "AA",
         both(block(11, 20, 2, 3, 255), block(15, 20, 2, 3, 255))},
        {"a box left of and above the origin moves the line", 10, 20, "B",
         block(11, 21, 1, 1, 128)},
        {"only as far as the highest box needs", 10, 20, "AB",
         both(block(10, 22, 2, 3, 255), block(13, 21, 1, 1, 128))},
        {"the pen's fraction is floored at each glyph", 10, 20, "BA",
         both(block(11, 21, 1, 1, 128), block(15, 22, 2, 3, 255))},
        {"kerning, and overlapping coverage ORed", 10, 20, "CD", block(10, 20, 3, 1, 0xFF)},
        {"a missing character draws nothing and steps", 10, 20, "A?A",
         both(block(10, 20, 2, 3, 255), block(19, 20, 2, 3, 255))},
        {"a broken sequence steps as one missing character per byte", 10, 20,
         "A\xE3\x81"
         "A",
         both(block(10, 20, 2, 3, 255), block(24, 20, 2, 3, 255))},
        {"the text ends at a zero byte", 10, 20, std::string("A\0A", 3), block(10, 20, 2, 3, 255)},
        {"clipped at the frame's edges", -1, 198, "A", block(0, 198, 1, 2, 255)},
        {"far outside", 1e300, -1e300, "AAAA", {}},
        {"not a number", std::nan(""), 0, "A", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(drawn(text, c.x, c.y, c.text), c.pixels) << c.what;

    // The blend, channel by channel, rounded.
    FrameBuffer frame;
    frame.fill(rgb(10, 200, 100));
    text.draw_text(frame, 0, 0, "B", TextStyle{Face::gothic, 10, true, rgb(250, 0, 100)});
    EXPECT_EQ(frame.at(1, 1),
              rgb((250 * 128 + 10 * 127 + 127) / 255, (200 * 127 + 127) / 255, 100));
}

TEST(AtlasText, CodedCoverageComesBackAsItWas) {
    std::string error;
    std::optional<Atlas> atlas = decode_atlas(small_atlas_bytes(), error);
    ASSERT_TRUE(atlas) << error;
    const Atlas original = small_atlas();
    ASSERT_EQ(atlas->styles.size(), 1u);
    ASSERT_EQ(atlas->styles[0].glyphs.size(), original.styles[0].glyphs.size());
    for (size_t i = 0; i < original.styles[0].glyphs.size(); ++i)
        EXPECT_EQ(atlas->styles[0].glyphs[i].coverage, original.styles[0].glyphs[i].coverage) << i;
}

TEST(AtlasText, StylesAreChosenByRoundedPointsAndOthersDrawNothing) {
    AtlasText text(small_atlas());
    EXPECT_EQ(text.line_height(TextStyle{Face::gothic, 9.5, true, 0}), 13);
    EXPECT_EQ(drawn(text, 0, 0, "A", TextStyle{Face::gothic, 10.4, true, rgb(255, 255, 255)}),
              block(0, 0, 2, 3, 255));
    for (const TextStyle& other : {TextStyle{Face::mincho, 10, true, rgb(255, 255, 255)},
                                   TextStyle{Face::gothic, 10, false, rgb(255, 255, 255)},
                                   TextStyle{Face::gothic, 11, true, rgb(255, 255, 255)}}) {
        EXPECT_TRUE(drawn(text, 0, 0, "A", other).empty());
        // As the headless NullText: about 1.2 em at 96 dpi.
        EXPECT_EQ(text.line_height(other), std::lround(other.points * 4.0 / 3.0 * 1.2));
        FrameBuffer frame;
        EXPECT_EQ(text.draw_text(frame, 0, 0, "A", other), text.line_height(other));
    }
}

// Overwrites bytes of an atlas file and makes its hash match again, as a
// writer with a fault would.
std::string rehashed(std::string bytes, size_t at, std::string_view with) {
    bytes.replace(at, with.size(), with);
    uint64_t hash = stagefile::fnv1a64(std::string_view(bytes).substr(12));
    for (int i = 0; i < 8; ++i)
        bytes[4 + i] = static_cast<char>(hash >> (8 * i));
    return bytes;
}

TEST(AtlasText, DamagedFilesAreRefusedWithTheirFault) {
    const std::string good = small_atlas_bytes();
    // Offsets: hash at 4, style count at 12, the style at 14, its glyph count
    // at 24, the first glyph at 28, the coded coverage's length after the
    // kerning pair.
    const size_t coded_length_at = 28 + 5 * 14 + 10;
    struct Case {
        const char* what;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"another file", "PK\x03\x04 and more", "not a glyph atlas"},
        {"a changed byte", std::string(good).replace(40, 1, "\x7F"), "damaged"},
        {"an unknown face", rehashed(good, 14, "\x02"), "names no face"},
        {"glyphs out of order", rehashed(good, 28 + 14, "A"), "out of order"},
        {"more glyphs than there are", rehashed(good, 24, "\xFF\x00"), "ends inside style 1"},
        {"a coverage length that is off", rehashed(good, coded_length_at, "\x01"),
         "not as long as it says"},
        {"bytes after the end", rehashed(good + "x", 0, ""), "not as long as it says"},
        {"no style count", rehashed(good.substr(0, 12), 0, ""), "before its style count"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(decode_atlas(c.bytes, error)) << c.what;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
        AtlasText text(c.bytes);
        EXPECT_FALSE(text.ready()) << c.what;
        EXPECT_EQ(text.error(), error);
        EXPECT_TRUE(drawn(text, 0, 0, "A").empty()) << c.what;
        EXPECT_EQ(text.line_height(white10), 16) << c.what;
    }
    // Every shorter file and every single changed byte is refused.
    for (size_t n = 0; n < good.size(); ++n) {
        std::string error;
        EXPECT_FALSE(decode_atlas(good.substr(0, n), error)) << n;
        std::string changed = good;
        changed[n] = static_cast<char>(changed[n] ^ 0x10);
        EXPECT_FALSE(decode_atlas(changed, error)) << n;
    }
}

TEST(AtlasText, ClaimsOfMoreInkThanAnAtlasHoldsAreRefusedBeforeReading) {
    // 65535 glyphs of 255 x 255 pixels behind a valid hash, and no coverage.
    std::string bytes = "VGA1" + std::string(8, '\0') + std::string("\x01\x00", 2) +
                        std::string("\x00\x0A\x01\x00", 4) + std::string(6, '\0') +
                        std::string("\xFF\xFF\x00\x00", 4);
    for (uint32_t code = 0; code < 0xFFFF; ++code) {
        std::string g(14, '\0');
        g[0] = static_cast<char>(code & 0xFF);
        g[1] = static_cast<char>(code >> 8);
        g[12] = g[13] = '\xFF';
        bytes += g;
    }
    bytes += std::string("\x05\x00\x00\x00", 4) + std::string(5, '\0');
    std::string error;
    EXPECT_FALSE(decode_atlas(rehashed(bytes, 0, ""), error));
    EXPECT_NE(error.find("more ink"), std::string::npos) << error;
}

TEST(AtlasText, LoadingNamesTheFile) {
    std::string error;
    EXPECT_FALSE(load_atlas_file("/nonexistent/atlas.bin", error));
    EXPECT_EQ(error, "/nonexistent/atlas.bin: cannot be opened");
}

}  // namespace
}  // namespace vorne
