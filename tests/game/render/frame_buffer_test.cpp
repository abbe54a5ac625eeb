#include "game/render/frame_buffer.h"

#include <gtest/gtest.h>

#include "game/render/draw.h"

namespace vorne {
namespace {

TEST(Blit, CopyOrAndAreExactBitwise) {
    Image src(2, 1);
    src.set(0, 0, 0xFF0F0F0Fu);
    src.set(1, 0, 0xFFF0F000u);
    Image dst(2, 3, 0xFF3C3C3Cu);
    blit(dst, 0, 0, 2, 1, src, 0, 0, RasterOp::copy);
    blit(dst, 0, 1, 2, 1, src, 0, 0, RasterOp::paint_or);
    blit(dst, 0, 2, 2, 1, src, 0, 0, RasterOp::paint_and);
    EXPECT_EQ(dst.at(0, 0), 0xFF0F0F0Fu);
    EXPECT_EQ(dst.at(1, 0), 0xFFF0F000u);
    EXPECT_EQ(dst.at(0, 1), 0xFF3F3F3Fu);
    EXPECT_EQ(dst.at(1, 1), 0xFFFCFC3Cu);
    EXPECT_EQ(dst.at(0, 2), 0xFF0C0C0Cu);
    EXPECT_EQ(dst.at(1, 2), 0xFF303000u);
}

TEST(Blit, ClipsAgainstBothPicturesOnEverySide) {
    Image src(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.set(x, y, rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 9));
    Image dst(5, 5, rgb(1, 1, 1));
    blit(dst, -2, -1, 4, 4, src, 0, 0, RasterOp::copy);  // off the top-left
    EXPECT_EQ(dst.at(0, 0), rgb(2, 1, 9));
    EXPECT_EQ(dst.at(1, 2), rgb(3, 3, 9));
    EXPECT_EQ(dst.at(2, 0), rgb(1, 1, 1));
    Image dst2(5, 5, rgb(1, 1, 1));
    blit(dst2, 3, 3, 4, 4, src, 2, 2, RasterOp::copy);  // source runs out after 2
    EXPECT_EQ(dst2.at(4, 4), rgb(3, 3, 9));
    EXPECT_EQ(dst2.at(3, 3), rgb(2, 2, 9));
    // Nothing at all, and no access outside either picture.
    blit(dst2, 200, -300, 20, 20, src, 0, 0, RasterOp::copy);
    blit(dst2, 0, 0, -5, 20, src, 0, 0, RasterOp::copy);
    blit(dst2, 0, 0, 5, 5, Image(), 0, 0, RasterOp::copy);
    EXPECT_EQ(dst2.at(0, 0), rgb(1, 1, 1));
}

TEST(MaskedDraw, PaintsThePictureInsideTheSilhouetteOnly) {
    // Silhouette: left pixel white, right black. Image: left red, right white.
    Image sheet(2, 2);
    sheet.set(0, 0, rgb(255, 0, 0));
    sheet.set(1, 0, rgb(255, 255, 255));
    sheet.set(0, 1, rgb(255, 255, 255));
    sheet.set(1, 1, rgb(0, 0, 0));
    Image dst(2, 1, rgb(10, 20, 30));
    masked_draw(dst, 0, 0, 2, 1, sheet, 0, 1, 0, 0);
    EXPECT_EQ(dst.at(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(dst.at(1, 0), rgb(10, 20, 30));
}

TEST(NumberText, SignPlaceIsABlankForZeroOrMore) {
    EXPECT_EQ(number_text(3), " 3");
    EXPECT_EQ(number_text(0), " 0");
    EXPECT_EQ(number_text(-12), "-12");
}

}  // namespace
}  // namespace vorne
