// sheetgen OUT_DIR SOURCE...
// Builds each sprite-sheet source and writes OUT_DIR/NAME.png, NAME being the
// source's file name without its extension.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "game/render/png_encode.h"
#include "tools/sheetgen/sheet_source.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sheetgen OUT_DIR SOURCE...\n");
        return 2;
    }
    std::filesystem::path out_dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    if (ec) {
        std::fprintf(stderr, "sheetgen: %s: cannot create the folder: %s\n",
                     out_dir.string().c_str(), ec.message().c_str());
        return 1;
    }
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        std::filesystem::path source = argv[i];
        std::string error;
        auto image = vorne::load_sheet(source, &error);
        if (!image) {
            std::fprintf(stderr, "sheetgen: %s\n", error.c_str());
            ++failures;
            continue;
        }
        std::filesystem::path out = out_dir / (source.stem().string() + ".png");
        if (!vorne::write_png(out.string(), image->width(), image->height(), image->pixels(),
                              &error)) {
            std::fprintf(stderr, "sheetgen: %s\n", error.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
