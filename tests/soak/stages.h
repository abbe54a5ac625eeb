// The stages the soak plays: the blocks of a stage file, each on its own, and
// stages generated from a seed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorne::soak {

struct SoakStage {
    std::string name;               // for reports: "map.dat block 3", "generated 7 (crowded)"
    std::vector<std::string> rows;  // the cell letters, one string per row, without line ends
};

// Splits the text of a stage file into its blocks, read as the game reads
// them (CR or CR LF line ends, lenient count lines). Blocks of 0 rows are
// left out (they hold nothing to play). Returns nullopt and sets error when
// the file ends inside a block or a count is out of range.
std::optional<std::vector<SoakStage>> split_stage_file(const std::string& text,
                                                       const std::string& file_name,
                                                       std::string& error);

// The stage as a stage file of one block (CR LF lines).
std::string one_stage_file(const SoakStage& stage);

// Generates count framed stages of 10..30 x 10..30 cells from seed. The mix
// cycles through kinds of stage (see stages.cpp); the same seed and count
// always give the same stages.
std::vector<SoakStage> generate_stages(uint64_t seed, int32_t count);

}  // namespace vorne::soak
