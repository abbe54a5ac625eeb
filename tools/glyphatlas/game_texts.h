// Every text the game draws, screen by screen, in the styles and at the places
// the game draws it, with sample numbers: the one list the glyph atlas takes
// its styles and characters from, and that AtlasText is compared with SdlText
// on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/ports/ports.h"
#include "game/render/frame_buffer.h"

namespace vorne {

struct TextDraw {
    double x = 0;
    double y = 0;  // unless below_previous
    std::string text;
    TextStyle style;
    // On the line after the text before, as the pen's y that print_text returns.
    bool below_previous = false;
};

struct TextScreen {
    std::string name;
    std::vector<TextDraw> draws;
};

std::vector<TextScreen> game_text_screens();

// A style the game draws in and the characters the atlas holds for it: those
// of its texts above, the digits, space and minus sign of any number, and
// printable ASCII besides; by rising code point.
struct StyleCharacters {
    TextStyle style;
    std::vector<uint32_t> codes;
};

std::vector<StyleCharacters> atlas_contents();

// Every character of the atlas in each of its styles, ten to a line, as
// screens of their own: the characters the game's texts do not show.
std::vector<TextScreen> character_screens();

// The code points of UTF-8 text (the list's texts are well formed), and the
// UTF-8 of a code point.
std::vector<uint32_t> utf8_code_points(const std::string& text);
std::string utf8_text(uint32_t code);

// Draws a screen's texts through a text port, as print_text draws them, on a
// background whose colour changes from pixel to pixel (so that a blend over
// the wrong pixel shows).
FrameBuffer draw_screen(const TextScreen& screen, TextPort& text);

// How many pixels differ between two frames of the same size.
int64_t differing_pixels(const Image& a, const Image& b);

}  // namespace vorne
