#include "game/render/png_encode.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace vorne {
namespace {

// Where libpng writes: the bytes, and what went wrong. Nothing here may throw
// through libpng, which is C.
struct Sink {
    std::vector<uint8_t> bytes;
    bool out_of_memory = false;
    char error[160] = "";
};

void append(png_structp png, png_bytep data, size_t length) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    try {
        sink->bytes.insert(sink->bytes.end(), data, data + length);
    } catch (...) {
        sink->out_of_memory = true;
    }
}

void flush(png_structp) {}

[[noreturn]] void fail(png_structp png, png_const_charp message) {
    auto* sink = static_cast<Sink*>(png_get_error_ptr(png));
    std::snprintf(sink->error, sizeof sink->error, "%s", message);
    png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

}  // namespace

std::vector<uint8_t> encode_png(int width, int height, const std::vector<uint32_t>& argb,
                                std::string* error) {
    // libpng takes rows of R, G, B, A bytes.
    std::vector<uint8_t> rgba;
    std::vector<png_bytep> rows;
    if (width > 0 && height > 0) {
        const size_t row_bytes = 4 * static_cast<size_t>(width);
        rgba.resize(row_bytes * static_cast<size_t>(height));
        for (size_t i = 0; i < rgba.size() / 4; ++i) {
            const uint32_t p = argb[i];
            rgba[4 * i] = static_cast<uint8_t>(p >> 16);
            rgba[4 * i + 1] = static_cast<uint8_t>(p >> 8);
            rgba[4 * i + 2] = static_cast<uint8_t>(p);
            rgba[4 * i + 3] = static_cast<uint8_t>(p >> 24);
        }
        for (int y = 0; y < height; ++y)
            rows.push_back(rgba.data() + row_bytes * static_cast<size_t>(y));
    }

    Sink sink;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, fail, ignore_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        if (error) *error = "out of memory";
        return {};
    }
    // libpng's errors come back here; everything above outlives the jump.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (error) *error = sink.error;
        return {};
    }
    png_set_write_fn(png, &sink, append, flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (sink.out_of_memory) {
        if (error) *error = "out of memory";
        return {};
    }
    return std::move(sink.bytes);
}

}  // namespace vorne
