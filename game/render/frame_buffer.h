// Pictures as plain pixel arrays and the raster operations the game draws with:
// exact bitwise copy, OR and AND of 32-bit pixels, clipped to both pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorne {

// 0xAARRGGBB; alpha is kept at 0xFF in every picture the game draws.
using Pixel = uint32_t;

inline constexpr Pixel rgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

class Image {
  public:
    Image() = default;
    Image(int32_t width, int32_t height, Pixel fill = rgb(0, 0, 0))
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    Pixel at(int32_t x, int32_t y) const { return pixels_[index(x, y)]; }
    void set(int32_t x, int32_t y, Pixel p) { pixels_[index(x, y)] = p; }
    const std::vector<Pixel>& pixels() const { return pixels_; }
    std::vector<Pixel>& pixels() { return pixels_; }
    void fill(Pixel p) { pixels_.assign(pixels_.size(), p); }

  private:
    size_t index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width_ + x; }
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<Pixel> pixels_;
};

enum class RasterOp { copy, paint_or, paint_and };

// Copies the w x h block at (sx, sy) of src to (dx, dy) of dst with op,
// clipped to both pictures. Pixels outside either picture are left alone.
void blit(Image& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, const Image& src, int32_t sx,
          int32_t sy, RasterOp op);

// The 200 x 200 window image of the game.
class FrameBuffer : public Image {
  public:
    static constexpr int32_t size = 200;
    FrameBuffer() : Image(size, size) {}
};

}  // namespace vorne
