#include "game/platform/web/image_file.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace vorne {

std::optional<Image> load_image_file(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be opened";
        return std::nullopt;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    int width = 0, height = 0, channels = 0;
    unsigned char* rgba = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                                &width, &height, &channels, 4);
    if (!rgba) {
        error = path + ": " + stbi_failure_reason();
        return std::nullopt;
    }
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = rgba + 4 * (static_cast<size_t>(y) * width + x);
            image.set(x, y, 0xFF000000u | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
        }
    stbi_image_free(rgba);
    return image;
}

}  // namespace vorne
