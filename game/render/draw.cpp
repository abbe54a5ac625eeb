#include "game/render/draw.h"

namespace vorne {

void masked_draw(Image& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Image& silhouette,
                 int32_t silhouette_x, int32_t silhouette_y, const Image& image, int32_t image_x,
                 int32_t image_y) {
    blit(dst, x, y, w, h, silhouette, silhouette_x, silhouette_y, RasterOp::paint_or);
    blit(dst, x, y, w, h, image, image_x, image_y, RasterOp::paint_and);
}

std::string number_text(int32_t value) {
    return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

}  // namespace vorne
