#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/render/png_encode.h"

namespace vorne {

bool write_png(const std::string& path, int width, int height, const std::vector<uint32_t>& argb,
               std::string* error) {
    std::string reason;
    std::vector<uint8_t> bytes = encode_png(width, height, argb, &reason);
    if (bytes.empty()) {
        if (error) *error = path + ": cannot be written as PNG: " + reason;
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    // The first failure's reason is kept; the close writes what stdio still
    // holds, so it is checked as well.
    int failed = 0;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0)
        failed = errno != 0 ? errno : EIO;
    errno = 0;
    if (std::fclose(f) != 0 && failed == 0) failed = errno != 0 ? errno : EIO;
    if (failed != 0 && error) *error = path + ": " + std::strerror(failed);
    return failed == 0;
}

}  // namespace vorne
