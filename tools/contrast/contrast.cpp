// Measures how well the head-up display's key counts stand out in play.
//
// Plays a recorded input on a stage file twice in lockstep, on the game's own
// code with the real text output: once as the game draws it, once with the
// head-up display's texts (the counts and anything drawn around them in the
// same face and size) left out, which is exactly what lies behind the counts.
// For every tick of play it renders the counts alone on black to learn each
// pixel's glyph coverage, then compares the count's colour with the pixels that
// border the glyphs (no coverage, next to a pixel at least half covered): as
// drawn, and behind (what a count without any outline would stand on). The
// figures are WCAG 2 contrast ratios, (L1 + 0.05) / (L2 + 0.05).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "game/platform/sdl_text.h"
#include "game/render/png_encode.h"
#include "game/shell/game.h"
#include "game/shell/headless.h"
#include "game/shell/headless_ports.h"
#include "game/shell/inputs.h"

namespace vorne {
namespace {

constexpr double hud_points = 14;

struct TextCall {
    double x, y;
    std::string text;
    TextStyle style;
};

// Passes text through to the real output, except (when told to) the
// head-up display's; remembers the display's counts of the current tick.
class HudText : public TextPort {
  public:
    HudText(TextPort& real, bool draw_hud) : real_(real), draw_hud_(draw_hud) {}
    int32_t draw_text(FrameBuffer& target, double x, double y, std::string_view utf8,
                      const TextStyle& style) override {
        bool hud = style.points == hud_points && style.face == Face::gothic;
        if (hud && style.colour == count_colour) counts.push_back({x, y, std::string(utf8), style});
        if (hud && !draw_hud_) return real_.line_height(style);
        return real_.draw_text(target, x, y, utf8, style);
    }
    int32_t line_height(const TextStyle& style) override { return real_.line_height(style); }

    static constexpr Pixel count_colour = rgb(0, 255, 255);
    std::vector<TextCall> counts;

  private:
    TextPort& real_;
    bool draw_hud_;
};

double channel(uint32_t c) {
    double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(Pixel p) {
    return 0.2126 * channel((p >> 16) & 0xFF) + 0.7152 * channel((p >> 8) & 0xFF) +
           0.0722 * channel(p & 0xFF);
}

double contrast(Pixel a, Pixel b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Worst {
    double ratio = 1e9;
    int64_t tick = 0;
    int32_t stage = 0, x = 0, y = 0;
    Pixel pixel = 0;
    FrameBuffer frame;

    void take(double r, int64_t t, int32_t s, int32_t px, int32_t py, Pixel p,
              const FrameBuffer& f) {
        if (r >= ratio) return;
        ratio = r;
        tick = t;
        stage = s;
        x = px;
        y = py;
        pixel = p;
        frame = f;
    }
};

struct Tally {
    Worst worst;
    int64_t pixels = 0, below3 = 0, below45 = 0;
    void add(double r) {
        ++pixels;
        below3 += r < 3.0;
        below45 += r < 4.5;
    }
};

void report(const char* what, const Tally& t) {
    std::printf(
        "  %-7s worst %5.2f : 1 (tick %lld, stage %d, pixel %d,%d rgb(%u,%u,%u)); "
        "border pixels %lld, below 3:1 %lld, below 4.5:1 %lld\n",
        what, t.worst.ratio, static_cast<long long>(t.worst.tick), t.worst.stage, t.worst.x,
        t.worst.y, (t.worst.pixel >> 16) & 0xFF, (t.worst.pixel >> 8) & 0xFF, t.worst.pixel & 0xFF,
        static_cast<long long>(t.pixels), static_cast<long long>(t.below3),
        static_cast<long long>(t.below45));
}

int run(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: vorne_contrast PROGRAM_FOLDER MAP INPUTS TICKS [WORST.png]\n"
                     "(TICKS 0: as many as the recorded input holds)\n";
        return 2;
    }
    std::string folder = argv[1], map = argv[2], inputs = argv[3];
    int64_t ticks = std::stoll(argv[4]);
    std::string error;
    auto steps = read_inputs(inputs, error);
    if (!steps) {
        std::cerr << "vorne_contrast: " << error << '\n';
        return 2;
    }
    if (ticks <= 0)
        for (const InputStep& s : *steps)
            ticks += s.count;

    SdlText real;
    HudText drawn_text(real, true), behind_text(real, false);
    struct Run {
        VirtualClock clock;
        ScriptedInput input;
        RecordingSound sound;
        RecordingMusic music;
        HeadlessWindow window;
        HeadlessFiles files;
        Game game;
        Run(const std::string& folder, TextPort& text)
            : files(folder, std::nullopt),
              game(Ports{clock, input, sound, music, text, window, files}, folder) {}
    };
    Run drawn(folder, drawn_text), behind(folder, behind_text);
    for (Run* r : {&drawn, &behind}) {
        r->game.map_path = map;
        report_missing_sheets(load_sheets(r->game.sheets, folder, load_image_file));
        start_game(r->game);
    }

    Tally as_drawn, on_behind;
    int64_t frames = 0;
    size_t step = 0;
    int64_t used = 0;
    for (int64_t tick = 1; tick <= ticks; ++tick) {
        InputStep s;
        if (step < steps->size()) {
            s = (*steps)[step];
            if (++used >= s.count) {
                ++step;
                used = 0;
            }
        }
        drawn_text.counts.clear();
        for (Run* r : {&drawn, &behind}) {
            r->input.set(s.stick_x, s.stick_y, s.buttons);
            service_timers(r->game);
            run_tick(r->game);
        }
        if (drawn.game.quit) break;
        const World& w = drawn.game.world;
        if (w.game_state != state_play || drawn_text.counts.empty()) continue;
        ++frames;

        // The counts alone, cyan on black: the green channel is the coverage.
        FrameBuffer mask;
        for (const TextCall& c : drawn_text.counts)
            real.draw_text(mask, c.x, c.y, c.text, c.style);
        auto cover = [&](int32_t x, int32_t y) { return ((mask.at(x, y) >> 8) & 0xFF) / 255.0; };
        const Pixel ink = HudText::count_colour;
        for (int32_t y = 0; y < FrameBuffer::size; ++y) {
            for (int32_t x = 0; x < FrameBuffer::size; ++x) {
                if (cover(x, y) > 0) continue;
                bool borders = false;
                for (int32_t dy = -1; dy <= 1 && !borders; ++dy)
                    for (int32_t dx = -1; dx <= 1 && !borders; ++dx) {
                        int32_t nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= FrameBuffer::size || ny >= FrameBuffer::size)
                            continue;
                        borders = cover(nx, ny) >= 0.5;
                    }
                if (!borders) continue;
                Pixel a = drawn.game.frame.at(x, y), b = behind.game.frame.at(x, y);
                double ra = contrast(ink, a), rb = contrast(ink, b);
                as_drawn.add(ra);
                on_behind.add(rb);
                as_drawn.worst.take(ra, tick, w.stage_number, x, y, a, drawn.game.frame);
                on_behind.worst.take(rb, tick, w.stage_number, x, y, b, drawn.game.frame);
            }
        }
    }
    std::printf("%s on %s: %lld frames of play measured\n", inputs.c_str(), map.c_str(),
                static_cast<long long>(frames));
    report("drawn", as_drawn);
    report("behind", on_behind);
    if (argc > 5 && frames > 0) {
        const FrameBuffer& f = as_drawn.worst.frame;
        if (!write_png(argv[5], f.width(), f.height(), f.pixels(), &error)) {
            std::cerr << "vorne_contrast: " << error << '\n';
            return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
    return vorne::run(argc, argv);
}
