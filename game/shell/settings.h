// What the game remembers between runs: fullscreen, the window's scale and
// its position, in a small text file of "key = value" lines under the
// user's configuration folder. Plain C++: the display is asked by main.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorne {

struct Settings {
    std::optional<bool> fullscreen;
    std::optional<int32_t> scale;  // 1..16
    std::optional<int32_t> x, y;   // the window's top-left corner, both or neither
};

struct ReadSettings {
    Settings settings;
    std::string warning;  // one line when something was ignored; empty otherwise
};

// The most of a settings file that is read; a larger file is ignored whole.
constexpr size_t settings_file_limit = 4096;

// Reads the lines of a settings file. Blank lines and lines starting with '#'
// are skipped; a line that is not a known key with a good value is ignored
// and counted in the warning.
ReadSettings parse_settings(std::string_view text);
// The file's text, read back as the same settings by parse_settings.
std::string format_settings(const Settings& settings);

// $XDG_CONFIG_HOME/vorne, else ~/.config/vorne; empty when neither is known.
std::string settings_folder();
// A missing file gives no settings and no warning.
ReadSettings read_settings_file(const std::string& folder);
// Writes folder/settings whole (a temporary file renamed over it), making the
// folder when missing. Returns empty, or the one line telling why it failed.
std::string write_settings_file(const std::string& folder, const Settings& settings);

// A rectangle on the desktop.
struct Area {
    int32_t x = 0, y = 0, w = 0, h = 0;
};

struct ScaleFit {
    int32_t scale = 1;
    bool reduced = false;  // the asked scale did not fit
};

// The window's scale on a desktop whose usable area is usable_w x usable_h:
// the largest whole number whose window stays within 90 % of it, at least 1.
// Asked for nothing (0), that largest is also at most 6; asked for a scale,
// that scale when it fits.
ScaleFit fit_scale(int32_t usable_w, int32_t usable_h, int32_t requested);

struct Display {
    Area bounds;  // the whole display
    Area usable;  // less the desktop's panels and docks
};

// Where and how large the window opens.
struct WindowPlan {
    int32_t scale = 1;
    bool reduced = false;    // the scale asked on the command line did not fit
    Area usable;             // of the display it opens on
    int32_t display = 0;     // the display it opens on, centred unless at is set
    std::optional<Area> at;  // the remembered position, still wholly on that display
};

// asked: the command line's scale, 0 when none was given (then the
// remembered one, else the largest that fits up to 6). With no display
// known, the scale asked or remembered, else the fallback.
WindowPlan plan_window(const std::vector<Display>& displays, const Settings& remembered,
                       int32_t asked, int32_t fallback);

}  // namespace vorne
