#include "game/render/png_encode.h"

#include <gtest/gtest.h>
#include <png.h>

namespace vorne {
namespace {

// Every channel of 0xAARRGGBB lands in its own byte: read back with libpng as
// R, G, B, A, each pixel is the one written.
TEST(PngEncode, PixelsComeBackAsWritten) {
    const std::vector<uint32_t> argb = {0xFF000000, 0xFFFFFFFF, 0xFF123456, 0x00000000,
                                        0x80FF0000, 0x4000FF00, 0xC00000FF, 0x01020304};
    const std::vector<uint8_t> bytes = encode_png(4, 2, argb);
    ASSERT_FALSE(bytes.empty());

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    for (size_t i = 0; i < argb.size(); ++i) {
        const uint32_t read = uint32_t{rgba[4 * i + 3]} << 24 | uint32_t{rgba[4 * i]} << 16 |
                              uint32_t{rgba[4 * i + 1]} << 8 | rgba[4 * i + 2];
        EXPECT_EQ(read, argb[i]) << "pixel " << i;
    }
}

TEST(PngEncode, APictureWithoutPixelsIsRefused) {
    std::string error;
    EXPECT_TRUE(encode_png(0, 5, {}, &error).empty());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(write_png(::testing::TempDir() + "empty.png", 0, 5, {}, &error));
    EXPECT_EQ(error.find(::testing::TempDir() + "empty.png: "), 0u) << error;
}

}  // namespace
}  // namespace vorne
