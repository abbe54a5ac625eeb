// The headless runner's recorded-input files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorne {

// The most bytes a recorded-input file may hold, and one of its lines.
inline constexpr uint64_t max_inputs_bytes = uint64_t{16} << 20;
inline constexpr size_t max_input_line_bytes = 4096;
// The button bits a line may set: Z, X, Esc, button 4, pause, and
// input_focus_lost.
inline constexpr int32_t max_input_buttons = 63;
// Not a button: the window lost the focus before this tick (play pauses as it
// does in the window). Recordings of the window write it; the headless window
// reports it, and the tick's buttons are the others.
inline constexpr int32_t input_focus_lost = 32;

// One line of recorded input, for count ticks.
struct InputStep {
    int64_t count = 1;
    int16_t stick_x = 0;
    int16_t stick_y = 0;
    int32_t buttons = 0;
};

// Reads a recorded-input file: lines "[N*]SX SY B" ending in LF or CR LF,
// blank lines and lines starting with '#' skipped. Only a readable regular
// file (or /dev/null) of at most max_inputs_bytes is taken. On failure returns
// nullopt and sets error to one line naming the file, the line and the problem;
// the file's bytes are quoted escaped and cut short.
std::optional<std::vector<InputStep>> read_inputs(const std::string& path, std::string& error);
// The text of a recorded-input file, read as read_inputs reads it, unparsed.
std::optional<std::string> read_inputs_text(const std::string& path, std::string& error);
std::optional<std::vector<InputStep>> parse_inputs(const std::string& text, const std::string& name,
                                                   std::string& error);

}  // namespace vorne
