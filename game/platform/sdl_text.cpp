#include "game/platform/sdl_text.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace vorne {
namespace {

std::string match_file(FcPattern* pattern, const std::string* wanted_family) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8* family = nullptr;
        FcChar8* path = nullptr;
        bool family_ok =
            !wanted_family || (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                               *wanted_family == reinterpret_cast<const char*>(family));
        if (family_ok && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

std::string find_font_file(const std::string& family) {
    if (!FcInit()) return {};
    std::string file =
        match_file(FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())), &family);
    if (!file.empty()) return file;
    return match_file(FcNameParse(reinterpret_cast<const FcChar8*>(":lang=ja")), nullptr);
}

SdlText::SdlText() {
    if (!TTF_WasInit() && TTF_Init() != 0) {
        std::cerr << "vorne1.0: no text output: " << TTF_GetError() << '\n';
        return;
    }
    gothic_file_ = find_font_file("IPAPGothic");
    mincho_file_ = find_font_file("IPAPMincho");
    if (mincho_file_.empty()) mincho_file_ = gothic_file_;
    if (gothic_file_.empty()) {
        std::cerr << "vorne1.0: no Japanese font found (install fonts-ipafont-gothic); "
                     "texts are not shown\n";
        return;
    }
    ready_ = true;
}

SdlText::~SdlText() {
    for (auto& [key, f] : fonts_)
        if (f) TTF_CloseFont(f);
    if (TTF_WasInit()) TTF_Quit();
    FcFini();  // fontconfig keeps its configuration until told to let go
}

_TTF_Font* SdlText::font(const TextStyle& style) {
    if (!ready_) return nullptr;
    // Sizes in points at 96 dots per inch; quarter points are enough.
    int quarter_points = static_cast<int>(std::lround(style.points * 4));
    auto key = std::make_tuple(static_cast<int>(style.face), quarter_points, style.bold);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    const std::string& file = style.face == Face::mincho ? mincho_file_ : gothic_file_;
    // At 96 dpi a point size becomes pt x 4 / 3 pixels.
    int points = std::max(1, static_cast<int>(std::lround(style.points)));
    TTF_Font* f = TTF_OpenFontDPI(file.c_str(), points, 96, 96);
    if (f && style.bold) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
    fonts_[key] = f;
    return f;
}

int32_t SdlText::line_height(const TextStyle& style) {
    TTF_Font* f = font(style);
    if (!f) return static_cast<int32_t>(std::lround(style.points * 4.0 / 3.0 * 1.2));
    return TTF_FontLineSkip(f);
}

int32_t SdlText::draw_text(FrameBuffer& target, double x, double y, std::string_view utf8,
                           const TextStyle& style) {
    TTF_Font* f = font(style);
    if (!f || utf8.empty()) return line_height(style);
    std::string text(utf8);
    SDL_Color colour{static_cast<Uint8>(style.colour >> 16), static_cast<Uint8>(style.colour >> 8),
                     static_cast<Uint8>(style.colour), 255};
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(f, text.c_str(), colour);
    if (!rendered) return line_height(style);
    SDL_Surface* surface = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    if (!surface) return line_height(style);

    // Drawn without a background box: the glyphs' coverage blends the colour
    // over what is there.
    int x0 = static_cast<int>(std::lround(x)), y0 = static_cast<int>(std::lround(y));
    SDL_LockSurface(surface);
    for (int sy = 0; sy < surface->h; ++sy) {
        int dy = y0 + sy;
        if (dy < 0 || dy >= target.height()) continue;
        const Uint32* row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(surface->pixels) + sy * surface->pitch);
        for (int sx = 0; sx < surface->w; ++sx) {
            int dx = x0 + sx;
            if (dx < 0 || dx >= target.width()) continue;
            uint32_t a = row[sx] >> 24;
            if (a == 0) continue;
            Pixel d = target.at(dx, dy);
            auto mix = [&](int shift) {
                uint32_t s = (style.colour >> shift) & 0xFF, t = (d >> shift) & 0xFF;
                return ((s * a + t * (255 - a) + 127) / 255) << shift;
            };
            target.set(dx, dy, 0xFF000000u | mix(16) | mix(8) | mix(0));
        }
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return TTF_FontLineSkip(f);
}

std::optional<Image> load_image_file(const std::string& path, std::string& error) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        error = path + ": " + IMG_GetError();
        return std::nullopt;
    }
    SDL_Surface* surface = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!surface) {
        error = path + ": " + SDL_GetError();
        return std::nullopt;
    }
    Image image(surface->w, surface->h);
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; ++y) {
        const Uint32* row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x)
            image.set(x, y, row[x] | 0xFF000000u);
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return image;
}

}  // namespace vorne
