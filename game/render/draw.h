// Drawing helpers shared by the play frame and the screens.
#pragma once

#include <cstdint>
#include <string>

#include "game/render/frame_buffer.h"

namespace vorne {

// A transparent sprite: its silhouette cell with OR, then its image cell with
// AND, both w x h, drawn at (x, y).
void masked_draw(Image& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Image& silhouette,
                 int32_t silhouette_x, int32_t silhouette_y, const Image& image, int32_t image_x,
                 int32_t image_y);

// The same with silhouette and image on one sheet.
inline void masked_draw(Image& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Image& sheet,
                        int32_t silhouette_x, int32_t silhouette_y, int32_t image_x,
                        int32_t image_y) {
    masked_draw(dst, x, y, w, h, sheet, silhouette_x, silhouette_y, sheet, image_x, image_y);
}

// A 20 x 20 transparent sprite.
inline void masked_cell(Image& dst, int32_t x, int32_t y, const Image& sheet, int32_t silhouette_x,
                        int32_t silhouette_y, int32_t image_x, int32_t image_y) {
    masked_draw(dst, x, y, 20, 20, sheet, silhouette_x, silhouette_y, image_x, image_y);
}

// A number as the text output prints one: a blank in place of the sign for
// zero or more, a minus sign otherwise.
std::string number_text(int32_t value);

}  // namespace vorne
