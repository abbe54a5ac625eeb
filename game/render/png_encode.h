// Minimal PNG writer: 8-bit RGBA, no compression (stored deflate blocks).
// Used by the headless screenshots and by the asset generators, so neither
// needs an image library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne {

// Pixels are 0xAARRGGBB, row-major, width * height entries.
std::vector<uint8_t> encode_png(int width, int height, const std::vector<uint32_t>& argb);

// Writes the PNG to path; returns false (and fills error with "PATH: reason")
// when the file cannot be written or closed.
bool write_png(const std::string& path, int width, int height, const std::vector<uint32_t>& argb,
               std::string* error = nullptr);

}  // namespace vorne
