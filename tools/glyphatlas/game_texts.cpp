#include "tools/glyphatlas/game_texts.h"

#include <algorithm>
#include <set>

#include "game/render/draw.h"

namespace vorne {
namespace {

TextStyle style(Face face, double points, uint32_t colour) {
    return TextStyle{face, points, true, colour};
}

// The title's hints, in the window's face of the moment: mincho before any
// other text was printed, gothic after a game.
TextScreen title(Face face, const std::string& name) {
    TextStyle hint = style(face, 10, rgb(0, 0, 128));
    return {name, {{48, 130, "Zキーでスタート", hint}, {48, 150, "Xキーでマップ選択", hint}}};
}

TextScreen stage_intro(int32_t stage) {
    return {"stage " + std::to_string(stage) + " introduction",
            {{55, 92.5, "STAGE" + number_text(stage), style(Face::gothic, 15, rgb(0, 0, 255))}}};
}

TextScreen ending(int32_t stages, int32_t score, double title_y, double thanks_y, bool back_hint) {
    const uint32_t red = rgb(255, 0, 0), blue = rgb(0, 0, 255);
    TextStyle thanks = style(Face::gothic, 16, blue);
    TextScreen screen{
        "ending, " + std::to_string(stages) + " stages, score " + std::to_string(score),
        {{8, title_y, "ALL STAGE CLEAR", style(Face::gothic, 16, red)},
         {30, 0, "クリアステージ数" + number_text(stages), style(Face::gothic, 13, red), true},
         {65, 0, "スコア" + number_text(score), style(Face::gothic, 13, red), true},
         {44, thanks_y, "THANK YOU", thanks},
         {86, 0, "FOR", thanks, true},
         {62, 0, "PLAYING", thanks, true}}};
    if (back_hint)
        screen.draws.push_back(
            {0, 185, "Zキーでタイトルへ戻ります。", style(Face::gothic, 10, rgb(0, 0, 0))});
    return screen;
}

// Both key counts of the head-up display, each ringed by its outline: printed
// at the eight neighbouring positions first, then in cyan.
TextScreen key_counts(int32_t black_keys, int32_t cyan_keys) {
    TextScreen screen{
        "key counts " + std::to_string(black_keys) + " and " + std::to_string(cyan_keys), {}};
    for (auto [x, count] : {std::pair{15.0, black_keys}, std::pair{45.0, cyan_keys}}) {
        const std::string text = number_text(count);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx != 0 || dy != 0)
                    screen.draws.push_back(
                        {x + dx, 0.0 + dy, text, style(Face::gothic, 14, rgb(24, 8, 56))});
        screen.draws.push_back({x, 0, text, style(Face::gothic, 14, rgb(0, 255, 255))});
    }
    return screen;
}

}  // namespace

std::vector<TextScreen> game_text_screens() {
    std::vector<TextScreen> screens;
    screens.push_back(title(Face::mincho, "title, first shown"));
    screens.push_back(title(Face::gothic, "title, after a game"));
    for (int32_t stage : {1, 7, 10, 123})
        screens.push_back(stage_intro(stage));
    screens.push_back(
        {"game over", {{42.5, 92.5, "GAME OVER", style(Face::gothic, 15, rgb(0, 0, 255))}}});
    screens.push_back({"pause", {{70, 90, "PAUSE", style(Face::gothic, 16, rgb(255, 255, 255))}}});
    screens.push_back(ending(1, 0, 100, 200, false));
    screens.push_back(ending(10, 24680, 0, 100, true));
    screens.push_back(ending(123, 1357913579, 0, 137, true));
    for (int32_t count = 0; count <= 9; ++count)
        screens.push_back(key_counts(count, 9 - count));
    screens.push_back(key_counts(10, 25));
    return screens;
}

std::vector<TextScreen> character_screens() {
    std::vector<TextScreen> screens;
    for (const StyleCharacters& contents : atlas_contents()) {
        TextStyle style = contents.style;
        style.colour = rgb(255, 255, 0);
        const std::string name = std::string("every character, ") +
                                 (style.face == Face::mincho ? "mincho " : "gothic ") +
                                 std::to_string(static_cast<int>(style.points)) + " pt";
        const size_t per_line = 10, per_screen = 80;
        for (size_t first = 0; first < contents.codes.size(); first += per_screen) {
            const size_t end = std::min(first + per_screen, contents.codes.size());
            TextScreen screen{
                name + ", " + std::to_string(first + 1) + " to " + std::to_string(end), {}};
            for (size_t i = first; i < end; i += per_line) {
                std::string line;
                for (size_t k = i; k < std::min(i + per_line, end); ++k)
                    line += utf8_text(contents.codes[k]);
                screen.draws.push_back({0.5, 2, line, style, i > first});
            }
            screens.push_back(std::move(screen));
        }
    }
    return screens;
}

std::string utf8_text(uint32_t code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

std::vector<uint32_t> utf8_code_points(const std::string& text) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        uint32_t code = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        codes.push_back(code);
        i += extra + 1;
    }
    return codes;
}

std::vector<StyleCharacters> atlas_contents() {
    auto same_font = [](const TextStyle& a, const TextStyle& b) {
        return a.face == b.face && a.points == b.points && a.bold == b.bold;
    };
    std::vector<StyleCharacters> contents;
    std::vector<std::set<uint32_t>> codes;
    for (const TextScreen& screen : game_text_screens()) {
        for (const TextDraw& draw : screen.draws) {
            auto it = std::find_if(contents.begin(), contents.end(), [&](const StyleCharacters& c) {
                return same_font(c.style, draw.style);
            });
            if (it == contents.end()) {
                contents.push_back({draw.style, {}});
                codes.emplace_back();
                it = contents.end() - 1;
            }
            std::set<uint32_t>& set = codes[it - contents.begin()];
            for (uint32_t code : utf8_code_points(draw.text))
                set.insert(code);
        }
    }
    for (size_t i = 0; i < contents.size(); ++i) {
        contents[i].style.colour = 0xFF000000;
        for (uint32_t code = 0x20; code <= 0x7E; ++code)
            codes[i].insert(code);
        contents[i].codes.assign(codes[i].begin(), codes[i].end());
    }
    return contents;
}

FrameBuffer draw_screen(const TextScreen& screen, TextPort& text) {
    FrameBuffer frame;
    for (int32_t y = 0; y < frame.height(); ++y)
        for (int32_t x = 0; x < frame.width(); ++x)
            frame.set(
                x, y,
                rgb(static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * y + 3 * x),
                    static_cast<uint8_t>((x * 5) ^ (y * 9))));
    double pen_y = 0;
    for (const TextDraw& draw : screen.draws) {
        double y = draw.below_previous ? pen_y : draw.y;
        pen_y = y + text.draw_text(frame, draw.x, y, draw.text, draw.style);
    }
    return frame;
}

int64_t differing_pixels(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return static_cast<int64_t>(std::max(a.pixels().size(), b.pixels().size()));
    int64_t count = 0;
    for (size_t i = 0; i < a.pixels().size(); ++i)
        count += a.pixels()[i] != b.pixels()[i];
    return count;
}

}  // namespace vorne
