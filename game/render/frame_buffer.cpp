#include "game/render/frame_buffer.h"

#include <algorithm>

namespace vorne {

void blit(Image& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, const Image& src, int32_t sx,
          int32_t sy, RasterOp op) {
    // Clip against the source, then the destination, moving both origins together.
    int64_t x0 = 0, y0 = 0, x1 = w, y1 = h;  // block-relative range [x0, x1)
    x0 = std::max<int64_t>(x0, -int64_t{sx});
    y0 = std::max<int64_t>(y0, -int64_t{sy});
    x1 = std::min<int64_t>(x1, int64_t{src.width()} - sx);
    y1 = std::min<int64_t>(y1, int64_t{src.height()} - sy);
    x0 = std::max<int64_t>(x0, -int64_t{dx});
    y0 = std::max<int64_t>(y0, -int64_t{dy});
    x1 = std::min<int64_t>(x1, int64_t{dst.width()} - dx);
    y1 = std::min<int64_t>(y1, int64_t{dst.height()} - dy);
    if (x0 >= x1 || y0 >= y1) return;

    for (int64_t y = y0; y < y1; ++y) {
        Pixel* d = &dst.pixels()[static_cast<size_t>((dy + y) * dst.width() + dx + x0)];
        const Pixel* s = &src.pixels()[static_cast<size_t>((sy + y) * src.width() + sx + x0)];
        int64_t n = x1 - x0;
        switch (op) {
            case RasterOp::copy:
                std::copy_n(s, n, d);
                break;
            case RasterOp::paint_or:
                for (int64_t i = 0; i < n; ++i)
                    d[i] |= s[i];
                break;
            case RasterOp::paint_and:
                for (int64_t i = 0; i < n; ++i)
                    d[i] &= s[i];
                break;
        }
    }
}

}  // namespace vorne
