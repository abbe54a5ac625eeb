// The command line of vorne1.0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorne {

struct TickFile {
    int64_t tick = 0;  // 1-based
    std::string path;
};

struct Options {
    bool help = false;
    bool version = false;
    bool headless = false;
    int32_t scale = 3;
    std::string check;   // a stage file to check instead of playing
    std::string map;     // stage file of button 1 on the title
    std::string inputs;  // headless: recorded input
    std::optional<int64_t> ticks;
    std::string trace;
    std::vector<TickFile> dumps;
    std::vector<TickFile> screenshots;
    std::optional<std::string> dialog;  // headless: the file the open-file dialog answers
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line is good
};

ParsedOptions parse_options(const std::vector<std::string>& args);

std::string usage_text(const std::string& program);
std::string version_text();

// The most bytes a recorded-input file may hold, and one of its lines.
inline constexpr uint64_t max_inputs_bytes = uint64_t{16} << 20;
inline constexpr size_t max_input_line_bytes = 4096;

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
std::optional<std::vector<InputStep>> parse_inputs(const std::string& text, const std::string& name,
                                                   std::string& error);

}  // namespace vorne
