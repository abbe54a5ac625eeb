// Checking a stage file the way the game reads it, for designers: what will
// go wrong, or make a stage impossible to win, listed stage by stage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::stagefile {

// Findings listed in full; past this many only their number is kept, so that
// memory follows the stages of a file, not the bytes of a bad one.
inline constexpr size_t max_listed_findings = 1000;

struct Finding {
    int32_t stage = 0;  // position of the stage block in the file (1 = first); 0: the whole file
    int32_t line = 0;   // line of the file (1 = first); 0: none in particular
    std::string problem;
    // The game refuses the file here: it shows this problem (as
    // "FILE: stage N, line L: problem") and goes back to the title. Reading
    // stops at the first such finding, so it is always the last one.
    bool refusal = false;
};

struct CheckResult {
    bool readable = true;  // false: the file could not be read at all (see error)
    std::string error;     // why it could not be read, naming the file
    int32_t stages = 0;    // stage blocks found
    std::vector<Finding> findings;
    int64_t unlisted = 0;  // findings past the first thousand, counted only

    bool clean() const { return readable && findings.empty(); }
};

// Reads the file at path as the game would and lists its findings. Memory
// stays small whatever the file holds: rows are summed up as they are read
// and only the first thousand findings are listed.
CheckResult check_stage_file(const std::string& path);

// The same for the bytes of a file held in memory.
CheckResult check_stage_bytes(std::string_view bytes);

// One line per finding, "NAME: stage N, line L: problem", each ending in "\n";
// or the read error. Empty when the file is clean.
std::string format_findings(const CheckResult& result, std::string_view name);

}  // namespace vorne::stagefile
