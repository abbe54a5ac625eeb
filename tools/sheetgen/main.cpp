// sheetgen [--scale N] [--transparent] OUT_DIR SOURCE...
// Builds each sprite-sheet source and writes OUT_DIR/NAME.png, NAME being the
// source's file name without its extension.
//   --scale N      writes the picture N times larger, each pixel an N x N square
//                  (nearest pixel, never smoothed): the larger desktop icons are
//                  enlarged copies of their hand-drawn 16 and 32 pixel sources.
//   --transparent  writes every pixel that no `draw` covers fully transparent,
//                  so an icon keeps its shape on any desktop. The game's sheets
//                  stay opaque: the game cuts them out with their silhouettes.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "game/render/png_encode.h"
#include "tools/sheetgen/sheet_source.h"

namespace vorne {
namespace {

// 8 x 32 = 256, the largest icon size desktops ask for; 64 leaves room.
constexpr int max_scale = 64;
// Keeps a mistyped scale from asking for gigabytes.
constexpr int64_t max_output_side = 8192;

struct Options {
    int scale = 1;
    bool transparent = false;
    std::filesystem::path out_dir;
    std::vector<std::filesystem::path> sources;
};

constexpr const char* usage = "usage: sheetgen [--scale N] [--transparent] OUT_DIR SOURCE...\n";

std::optional<int> whole_number(std::string_view text) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// Returns the options, or nothing after printing what is wrong.
std::optional<Options> parse_options(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--scale") {
            std::optional<int> n = i + 1 < argc ? whole_number(argv[i + 1]) : std::nullopt;
            if (!n || *n < 1 || *n > max_scale) {
                std::fprintf(stderr, "sheetgen: --scale takes a whole number from 1 to %d\n",
                             max_scale);
                return std::nullopt;
            }
            options.scale = *n;
            ++i;
        } else if (arg == "--transparent") {
            options.transparent = true;
        } else if (arg == "--") {
            ++i;
            break;
        } else if (arg.starts_with("--")) {
            std::fprintf(stderr, "sheetgen: unknown option %s\n%s", argv[i], usage);
            return std::nullopt;
        } else {
            break;
        }
    }
    if (argc - i < 2) {
        std::fputs(usage, stderr);
        return std::nullopt;
    }
    options.out_dir = argv[i];
    for (++i; i < argc; ++i)
        options.sources.emplace_back(argv[i]);
    return options;
}

Image enlarged(const Image& image, int scale) {
    if (scale == 1) return image;
    Image out(image.width() * scale, image.height() * scale);
    for (int32_t y = 0; y < out.height(); ++y) {
        for (int32_t x = 0; x < out.width(); ++x)
            out.set(x, y, image.at(x / scale, y / scale));
    }
    return out;
}

// Builds one source into the picture to write; false after printing the problem.
bool build(const std::filesystem::path& source, const Options& options, Image& out) {
    std::string error;
    auto planes = load_sheet_planes(source, &error);
    if (!planes) {
        std::fprintf(stderr, "sheetgen: %s\n", error.c_str());
        return false;
    }
    Image& image = planes->image;
    if (int64_t{image.width()} * options.scale > max_output_side ||
        int64_t{image.height()} * options.scale > max_output_side) {
        std::fprintf(stderr, "sheetgen: %s: %d times larger is over %lld pixels a side\n",
                     source.string().c_str(), options.scale,
                     static_cast<long long>(max_output_side));
        return false;
    }
    if (options.transparent) {
        for (size_t i = 0; i < image.pixels().size(); ++i) {
            if (!planes->shape[i]) image.pixels()[i] = 0;
        }
    }
    out = enlarged(image, options.scale);
    return true;
}

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
    auto options = vorne::parse_options(argc, argv);
    if (!options) return 2;
    std::error_code ec;
    std::filesystem::create_directories(options->out_dir, ec);
    if (ec) {
        std::fprintf(stderr, "sheetgen: %s: cannot create the folder: %s\n",
                     options->out_dir.string().c_str(), ec.message().c_str());
        return 1;
    }
    int failures = 0;
    for (const std::filesystem::path& source : options->sources) {
        vorne::Image image;
        if (!vorne::build(source, *options, image)) {
            ++failures;
            continue;
        }
        std::string error;
        std::filesystem::path out = options->out_dir / (source.stem().string() + ".png");
        if (!vorne::write_png(out.string(), image.width(), image.height(), image.pixels(),
                              &error)) {
            std::fprintf(stderr, "sheetgen: %s\n", error.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
