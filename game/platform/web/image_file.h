// Reading the picture sheets in the browser build (stb_image, no SDL).
#pragma once

#include <optional>
#include <string>

#include "game/render/frame_buffer.h"

namespace vorne {

// Reads a PNG into an Image of opaque 0xAARRGGBB pixels, as the desktop's
// loader does; nullopt with error "PATH: reason" when it cannot.
std::optional<Image> load_image_file(const std::string& path, std::string& error);

}  // namespace vorne
