#include "tools/glyphatlas/atlas_maker.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "game/platform/sdl_text.h"

namespace vorne {
namespace {

std::string code_name(uint32_t code) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", code);
    return name;
}

std::string style_name(const TextStyle& style) {
    return std::string(style.face == Face::mincho ? "mincho " : "gothic ") +
           std::to_string(atlas_points(style.points)) + " pt" + (style.bold ? " bold" : "");
}

struct FontCloser {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using Font = std::unique_ptr<TTF_Font, FontCloser>;

// The pen's step over a character in 1/64 pixel, as the desktop lays out a
// line: 64 of them in a row are exactly that many whole pixels longer than
// none, so the width of 128 less that of 64 is the step, whatever the
// glyph's own extent.
std::optional<int32_t> measure_advance(TTF_Font* font, uint32_t code) {
    std::string once = utf8_text(code), run64, run128;
    for (int i = 0; i < 64; ++i)
        run64 += once;
    run128 = run64 + run64;
    int w64 = 0, w128 = 0, h = 0;
    if (TTF_SizeUTF8(font, run64.c_str(), &w64, &h) != 0 ||
        TTF_SizeUTF8(font, run128.c_str(), &w128, &h) != 0)
        return std::nullopt;
    return w128 - w64;
}

// The glyph as the desktop draws it alone: its box from the glyph's metrics,
// its coverage from the rendered line, cut to the pixels that have any.
std::optional<AtlasGlyph> make_glyph(TTF_Font* font, uint32_t code, int32_t advance,
                                     std::string& error) {
    AtlasGlyph g;
    g.code = code;
    g.advance = advance;
    int min_x = 0, max_x = 0, min_y = 0, max_y = 0, metrics_advance = 0;
    if (TTF_GlyphMetrics32(font, code, &min_x, &max_x, &min_y, &max_y, &metrics_advance) != 0) {
        error = TTF_GetError();
        return std::nullopt;
    }
    g.box_left = min_x;
    g.box_top = max_y;
    const int ascent = TTF_FontAscent(font);
    // Where the box lies in a line of this glyph alone.
    const int box_x = std::max(0, -min_x) + min_x;
    const int box_y = std::max(0, max_y - ascent) + ascent - max_y;

    SDL_Surface* line =
        TTF_RenderUTF8_Blended(font, utf8_text(code).c_str(), SDL_Color{0, 0, 0, 255});
    if (!line) return g;  // nothing to draw, as a space
    SDL_Surface* surface = SDL_ConvertSurfaceFormat(line, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(line);
    if (!surface) {
        error = SDL_GetError();
        return std::nullopt;
    }
    SDL_LockSurface(surface);
    auto alpha = [&](int x, int y) {
        const auto* row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(surface->pixels) + y * surface->pitch);
        return static_cast<uint8_t>(row[x] >> 24);
    };
    int left = surface->w, top = surface->h, right = 0, bottom = 0;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
            if (alpha(x, y) != 0) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
    if (left < right) {
        g.ink_x = left - box_x;
        g.ink_y = top - box_y;
        g.ink_width = right - left;
        g.ink_height = bottom - top;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                g.coverage.push_back(alpha(x, y));
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    if (g.ink_x < 0 || g.ink_y < 0 || g.ink_x + g.ink_width > max_x - min_x ||
        g.ink_y + g.ink_height > max_y - min_y) {
        error = "its coverage reaches outside its box";
        return std::nullopt;
    }
    return g;
}

std::optional<AtlasStyle> make_style(const StyleCharacters& wanted, const std::string& file,
                                     std::vector<std::string>& warnings, std::string& error) {
    const std::string name = style_name(wanted.style);
    AtlasStyle style;
    style.face = wanted.style.face;
    style.points = atlas_points(wanted.style.points);
    style.bold = wanted.style.bold;
    Font font(TTF_OpenFontDPI(file.c_str(), style.points, 96, 96));
    if (!font) {
        error = file + ": " + TTF_GetError();
        return std::nullopt;
    }
    if (style.bold) TTF_SetFontStyle(font.get(), TTF_STYLE_BOLD);
    style.ascent = TTF_FontAscent(font.get());
    style.line_skip = TTF_FontLineSkip(font.get());

    // A character no font has steps as the font's missing-glyph box does.
    uint32_t missing = 0xE000;
    while (missing < 0xF8FF && TTF_GlyphIsProvided32(font.get(), missing))
        ++missing;
    std::optional<int32_t> missing_advance = measure_advance(font.get(), missing);
    if (!missing_advance) {
        error = name + ": " + TTF_GetError();
        return std::nullopt;
    }
    style.missing_advance = *missing_advance;

    for (uint32_t code : wanted.codes) {
        if (!TTF_GlyphIsProvided32(font.get(), code)) {
            warnings.push_back(name + ": " + file + " has no glyph for " + code_name(code));
            continue;
        }
        std::optional<int32_t> advance = measure_advance(font.get(), code);
        if (!advance) {
            error = name + ", " + code_name(code) + ": " + TTF_GetError();
            return std::nullopt;
        }
        // The measured step holds the pair's own kerning.
        *advance -= 64 * TTF_GetFontKerningSizeGlyphs32(font.get(), code, code);
        std::optional<AtlasGlyph> glyph = make_glyph(font.get(), code, *advance, error);
        if (!glyph) {
            error = name + ", " + code_name(code) + ": " + error;
            return std::nullopt;
        }
        style.glyphs.push_back(std::move(*glyph));
    }
    for (const AtlasGlyph& left : style.glyphs)
        for (const AtlasGlyph& right : style.glyphs)
            if (int kerning = TTF_GetFontKerningSizeGlyphs32(font.get(), left.code, right.code))
                style.kerning.push_back({left.code, right.code, 64 * kerning});
    return style;
}

}  // namespace

std::optional<Atlas> make_atlas(const std::vector<StyleCharacters>& contents,
                                std::vector<std::string>& warnings, std::string& error) {
    // The faces as SdlText finds them.
    const std::string gothic = find_font_file("IPAPGothic");
    std::string mincho = find_font_file("IPAPMincho");
    if (mincho.empty()) mincho = gothic;
    if (gothic.empty()) {
        error = "no Japanese font found (install fonts-ipafont-gothic)";
        return std::nullopt;
    }
    if (TTF_Init() != 0) {
        error = std::string("SDL2_ttf: ") + TTF_GetError();
        return std::nullopt;
    }
    Atlas atlas;
    for (const StyleCharacters& wanted : contents) {
        const std::string& file = wanted.style.face == Face::mincho ? mincho : gothic;
        std::optional<AtlasStyle> style = make_style(wanted, file, warnings, error);
        if (!style) break;
        atlas.styles.push_back(std::move(*style));
    }
    TTF_Quit();
    if (atlas.styles.size() != contents.size()) return std::nullopt;
    return atlas;
}

}  // namespace vorne
