// The command line of vorne1.0.
#pragma once

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
    // Without --scale the window takes the remembered scale, or the largest
    // that fits the desktop; 3 only when the desktop's size is unknown.
    int32_t scale = 3;
    bool scale_given = false;
    // How the window draws: "auto", "gpu" or "software".
    std::string renderer = "auto";
    std::string check;  // a stage file to check instead of playing
    std::string map;    // stage file of button 1 on the title
    // Play begins at once at this stage of map (no title, no introduction).
    std::optional<int32_t> stage;
    std::string inputs;  // headless: recorded input
    std::optional<int64_t> ticks;
    std::string trace;
    std::vector<TickFile> dumps;
    std::vector<TickFile> screenshots;
    std::optional<std::string> dialog;  // headless: the file the open-file dialog answers
    // Recordings and proofs (recording.h, prove.h).
    std::string record;  // write the input of every tick here
    std::string replay;  // window: play this recording
    std::string prove;   // replay the proofs of this stage file instead of playing
    // --solve FILE [--stage N] [--out INPUTS] [--budget SECONDS]
    std::string solve;  // a stage file to solve a stage of instead of playing
    std::string out;    // where the solver writes the input it found
    double budget = 60;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line is good
};

ParsedOptions parse_options(const std::vector<std::string>& args);

// When --stage asks for a stage past the last one of a file that reads to its
// end, one line naming the file and how many stages it holds; empty otherwise.
// A file that cannot be read, or is refused on the way, is left to the game,
// which refuses it as the title does.
std::string stage_past_the_last(const Options& options);

std::string usage_text(const std::string& program);
std::string version_text();

}  // namespace vorne
