// What drawing needs and nothing more: the frame it draws on, the picture
// sheets, the text output and the window's current text face.
#pragma once

#include <string_view>

#include "game/ports/ports.h"
#include "game/render/frame_buffer.h"
#include "game/render/sheets.h"

namespace vorne {

struct Canvas {
    FrameBuffer& frame;
    const Sheets& sheets;
    TextPort& text;
    Face& window_face;  // the face of the last text printed
};

// Prints text at the pen position (x, y) in the given style and makes that
// face the window's current one; returns the pen's y for the next line.
inline double print_text(Canvas& canvas, double x, double y, std::string_view text,
                         const TextStyle& style) {
    canvas.window_face = style.face;
    return y + canvas.text.draw_text(canvas.frame, x, y, text, style);
}

}  // namespace vorne
