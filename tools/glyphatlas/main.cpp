// vorne_glyph_atlas: the glyph atlas of the game's texts (game/render/atlas_text.h
// describes the file), made from the desktop's own text output, and the
// comparisons of AtlasText with SdlText.
//
//   vorne_glyph_atlas OUTPUT
//       makes the atlas, compares it with SdlText on every screen of
//       game_texts.cpp and on every character (a warning names any that
//       differ) and writes it
//   vorne_glyph_atlas --compare ATLAS
//       prints the differing pixels of each of those screens
//   vorne_glyph_atlas --compare-headless ATLAS PROGRAM_FOLDER VORNE_OPTIONS...
//       runs the headless game (vorne1.0 --headless ...) twice, with SdlText
//       and with AtlasText, and prints the differing pixels of each
//       screenshot; AtlasText's screenshots go beside SdlText's, as NAME.atlas.png
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/platform/sdl_text.h"
#include "game/render/atlas_text.h"
#include "game/shell/headless.h"
#include "game/shell/options.h"
#include "tools/glyphatlas/atlas_maker.h"
#include "tools/glyphatlas/game_texts.h"

namespace vorne {
namespace {

const char* const usage =
    "usage: vorne_glyph_atlas OUTPUT\n"
    "       vorne_glyph_atlas --compare ATLAS\n"
    "       vorne_glyph_atlas --compare-headless ATLAS PROGRAM_FOLDER VORNE_OPTIONS...\n";

// Prints the differing pixels of every screen; returns how many screens differ.
int compare_screens(AtlasText& atlas, std::ostream& out) {
    SdlText desktop;
    int differing = 0;
    std::vector<TextScreen> screens = game_text_screens();
    for (TextScreen& screen : character_screens())
        screens.push_back(std::move(screen));
    for (const TextScreen& screen : screens) {
        int64_t pixels = differing_pixels(draw_screen(screen, desktop), draw_screen(screen, atlas));
        out << pixels << '\t' << screen.name << '\n';
        differing += pixels != 0;
    }
    return differing;
}

int make(const std::string& output) {
    std::vector<std::string> warnings;
    std::string error;
    std::optional<Atlas> atlas = make_atlas(atlas_contents(), warnings, error);
    if (!atlas) {
        std::cerr << "vorne_glyph_atlas: " << error << '\n';
        return 1;
    }
    for (const std::string& warning : warnings)
        std::cerr << "vorne_glyph_atlas: warning: " << warning << '\n';
    std::optional<std::string> bytes = encode_atlas(*atlas, error);
    if (!bytes) {
        std::cerr << "vorne_glyph_atlas: " << error << '\n';
        return 1;
    }
    AtlasText text(std::move(*atlas));
    std::ostringstream report;
    if (int differing = compare_screens(text, report)) {
        std::cerr << "vorne_glyph_atlas: warning: " << differing
                  << " screens differ from the desktop's text (pixels, screen):\n"
                  << report.str();
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(output).parent_path(), ec);
    const std::string part = output + ".part";
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        file.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
        file.close();
        if (!file) {
            std::cerr << "vorne_glyph_atlas: " << part << ": cannot be written\n";
            return 1;
        }
    }
    std::filesystem::rename(part, output, ec);
    if (ec) {
        std::cerr << "vorne_glyph_atlas: " << output << ": " << ec.message() << '\n';
        return 1;
    }
    return 0;
}

int compare(const std::string& path) {
    std::string error;
    std::optional<Atlas> atlas = load_atlas_file(path, error);
    if (!atlas) {
        std::cerr << "vorne_glyph_atlas: " << error << '\n';
        return 1;
    }
    AtlasText text(std::move(*atlas));
    return compare_screens(text, std::cout) == 0 ? 0 : 1;
}

int compare_headless(const std::string& path, const std::string& folder,
                     const std::vector<std::string>& args) {
    std::string error;
    std::optional<Atlas> atlas = load_atlas_file(path, error);
    if (!atlas) {
        std::cerr << "vorne_glyph_atlas: " << error << '\n';
        return 1;
    }
    ParsedOptions parsed = parse_options(args);
    if (!parsed.error.empty() || !parsed.options.headless) {
        std::cerr << "vorne_glyph_atlas: "
                  << (parsed.error.empty() ? "the game's options need --headless" : parsed.error)
                  << '\n';
        return 2;
    }
    Options with_sdl = parsed.options, with_atlas = parsed.options;
    with_atlas.trace.clear();
    with_atlas.dumps.clear();
    for (TickFile& shot : with_atlas.screenshots)
        shot.path = std::filesystem::path(shot.path).replace_extension(".atlas.png").string();
    {
        SdlText desktop;
        if (int status =
                run_headless(with_sdl, folder, HeadlessServices{&desktop, load_image_file}))
            return status;
    }
    AtlasText text(std::move(*atlas));
    if (int status = run_headless(with_atlas, folder, HeadlessServices{&text, load_image_file}))
        return status;
    int differing = 0;
    for (size_t i = 0; i < with_sdl.screenshots.size(); ++i) {
        std::optional<Image> a = load_image_file(with_sdl.screenshots[i].path, error);
        std::optional<Image> b =
            a ? load_image_file(with_atlas.screenshots[i].path, error) : std::nullopt;
        if (!b) {
            std::cerr << "vorne_glyph_atlas: " << error << '\n';
            return 1;
        }
        int64_t pixels = differing_pixels(*a, *b);
        std::cout << pixels << "\ttick " << with_sdl.screenshots[i].tick << '\n';
        differing += pixels != 0;
    }
    return differing == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0].rfind("--", 0) != 0) return vorne::make(args[0]);
    if (args.size() == 2 && args[0] == "--compare") return vorne::compare(args[1]);
    if (args.size() >= 3 && args[0] == "--compare-headless")
        return vorne::compare_headless(args[1], args[2], {args.begin() + 3, args.end()});
    std::cerr << vorne::usage;
    return 2;
}
