#include <gtest/gtest.h>

#include <vector>

#include "game/platform/sdl_video.h"

namespace vorne {
namespace {

// The picture's place in windows of several shapes, and its pixels scaled by
// row copies into a surface with a wider pitch: every target pixel is the
// source pixel it covers, and the bytes outside the picture stay untouched.
TEST(SdlVideo, PictureIsScaledWholeAndCentred) {
    struct Case {
        int32_t window_w, window_h, x, y, scale;
        int32_t bytes_per_pixel;
    };
    for (const Case& c : std::vector<Case>{
             {600, 600, 0, 0, 3, 4},
             {640, 601, 20, 0, 3, 4},
             {799, 1000, 99, 200, 3, 4},
             {200, 200, 0, 0, 1, 4},
             {450, 300, 125, 50, 1, 2},
             {1920, 1080, 460, 40, 5, 3},
         }) {
        PictureRect at = fit_picture(c.window_w, c.window_h, 200);
        EXPECT_EQ(at.x, c.x) << c.window_w << "x" << c.window_h;
        EXPECT_EQ(at.y, c.y) << c.window_w << "x" << c.window_h;
        EXPECT_EQ(at.scale, c.scale) << c.window_w << "x" << c.window_h;

        // A small picture of distinct pixels in a surface one pixel wider
        // than it on the right and one row taller below.
        const int32_t w = 5, h = 3, bpp = c.bytes_per_pixel, s = c.scale;
        std::vector<uint8_t> src(static_cast<size_t>(w * h * bpp));
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = static_cast<uint8_t>(i * 7 + 1);
        const int32_t pitch = (w * s + 1) * bpp;
        std::vector<uint8_t> dst(static_cast<size_t>(pitch * (h * s + 1)), 0xEE);
        scale_picture(src.data(), w * bpp, w, h, bpp, s, dst.data(), pitch);
        for (int32_t y = 0; y <= h * s; ++y)
            for (int32_t x = 0; x <= w * s; ++x)
                for (int32_t b = 0; b < bpp; ++b) {
                    uint8_t got = dst[static_cast<size_t>(y * pitch + x * bpp + b)];
                    uint8_t want = (x < w * s && y < h * s)
                                       ? src[static_cast<size_t>(((y / s) * w + x / s) * bpp + b)]
                                       : 0xEE;
                    ASSERT_EQ(got, want) << "scale " << s << " at " << x << "," << y;
                }
    }
}

}  // namespace
}  // namespace vorne
