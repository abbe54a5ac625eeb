// PNG writer: 8-bit RGBA through libpng. Used by the headless screenshots and
// by the asset generators; plain C++ and libpng, so neither needs SDL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne {

// Pixels are 0xAARRGGBB, row-major, width * height entries. Returns the PNG's
// bytes, or nothing (and fills error with libpng's reason) when libpng refuses
// the picture, as it does one without pixels.
std::vector<uint8_t> encode_png(int width, int height, const std::vector<uint32_t>& argb,
                                std::string* error = nullptr);

// Writes the PNG to path; returns false (and fills error with "PATH: reason")
// when the picture cannot be encoded or the file cannot be written or closed.
bool write_png(const std::string& path, int width, int height, const std::vector<uint32_t>& argb,
               std::string* error = nullptr);

}  // namespace vorne
