// Text drawn from a glyph atlas: the pixels the desktop's SdlText draws, in
// plain C++ (no SDL, no FreeType), for builds that have neither.
// tools/glyphatlas makes the atlas from the desktop's own text output.
//
// How the desktop composes a string, and so how this port does: the pen starts
// at 0 and moves by each glyph's advance (in 1/64 pixel) plus the kerning of
// each pair. A glyph's box lies at floor(pen) + box left, ascent - box top in
// a picture that is moved right and down just enough that no box starts left
// of or above its origin; that picture's origin is the drawing position,
// rounded with std::lround. Coverage of overlapping glyphs combines by bitwise
// OR; the colour blends over the frame as
// (colour * a + frame * (255 - a) + 127) / 255 per channel.
//
// The atlas file (all numbers little-endian):
//   "VGA1"                         what the file is and the version of its layout
//   u64 FNV-1a (64 bits) of every byte after it
//   u16 style count
//   per style:
//     u8 face (0 gothic, 1 mincho), u8 points (whole points at 96 dpi), u8 bold (0, 1), u8 0
//     i16 ascent, i16 line skip    pixels
//     i16 missing advance          1/64 pixel: the pen's step over a character the atlas lacks
//     u16 glyph count, u16 kerning pair count
//     glyphs, by rising code point:
//       u32 code point, i16 advance (1/64 pixel)
//       i16 box left, i16 box top  the glyph's box from the pen: left, and top above the baseline
//       u8 ink x, u8 ink y         where the coverage starts inside the box
//       u8 ink width, u8 ink height
//     kerning pairs, by rising (left, right):
//       u32 left code point, u32 right code point, i16 pen adjustment (1/64 pixel)
//   u32 length of the coded coverage, then the coverage itself: every pixel
//   (0..255) of every glyph's ink in the order above, rows top to bottom,
//   through one adaptive binary range coder (LZMA's: 11-bit probabilities that
//   start at 1024 and move 1/32 of the way to each bit coded; 5 bytes to begin,
//   5 to end). The context of a pixel is the kind (0, 255 or between; 0 outside
//   the glyph) of the pixels left of it and above it; a pixel codes "not 0" and
//   then "not 255" with that context's probabilities, and a value between as
//   8 bits, highest first, down a tree of 255 probabilities shared by all.
//   Nothing follows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/ports/ports.h"
#include "game/render/frame_buffer.h"

namespace vorne {

struct AtlasGlyph {
    uint32_t code = 0;
    int32_t advance = 0;  // 1/64 pixel
    int32_t box_left = 0;
    int32_t box_top = 0;
    int32_t ink_x = 0;
    int32_t ink_y = 0;
    int32_t ink_width = 0;
    int32_t ink_height = 0;
    std::vector<uint8_t> coverage;  // ink_width * ink_height, row by row
};

struct AtlasKerning {
    uint32_t left = 0;
    uint32_t right = 0;
    int32_t adjustment = 0;  // 1/64 pixel
};

struct AtlasStyle {
    Face face = Face::gothic;
    int32_t points = 0;
    bool bold = false;
    int32_t ascent = 0;
    int32_t line_skip = 0;
    int32_t missing_advance = 0;        // 1/64 pixel
    std::vector<AtlasGlyph> glyphs;     // by rising code point
    std::vector<AtlasKerning> kerning;  // by rising (left, right)
};

struct Atlas {
    std::vector<AtlasStyle> styles;
};

// The points an atlas style is chosen by, as the desktop opens its fonts:
// the style's points rounded to whole ones, at least 1.
int32_t atlas_points(double points);

// The atlas file's bytes; nothing (and error says why) when a value does not
// fit its field or the glyphs or pairs are not in rising order.
std::optional<std::string> encode_atlas(const Atlas& atlas, std::string& error);
// Reads an atlas file's bytes, checking every count, offset and run; nothing
// (and error says what is wrong and where) for anything else.
std::optional<Atlas> decode_atlas(std::string_view bytes, std::string& error);
// Reads and decodes an atlas file; error is "PATH: reason".
std::optional<Atlas> load_atlas_file(const std::string& path, std::string& error);

class AtlasText : public TextPort {
  public:
    // Without an atlas: draws nothing, as the headless NullText.
    AtlasText() = default;
    explicit AtlasText(Atlas atlas);
    // From an atlas file's bytes; a damaged one leaves the port without an
    // atlas and error() saying why.
    explicit AtlasText(std::string_view bytes);

    bool ready() const { return ready_; }
    const std::string& error() const { return error_; }

    // Styles the atlas lacks draw nothing and step NullText's line height.
    int32_t draw_text(FrameBuffer& target, double x, double y, std::string_view utf8,
                      const TextStyle& style) override;
    int32_t line_height(const TextStyle& style) override;

  private:
    const AtlasStyle* find_style(const TextStyle& style) const;
    bool ready_ = false;
    std::string error_;
    Atlas atlas_;
    std::vector<uint8_t> scratch_;
};

}  // namespace vorne
