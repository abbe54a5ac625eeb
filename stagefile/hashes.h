// Sizes and hashes of a stage file and of each of its stage blocks, by which
// a recording names what it was played on and a stage's proof is told stale
// once that stage changes (the game writes and checks them, the editor reads
// them).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::stagefile {

uint64_t fnv1a64(std::string_view bytes);
std::string hex64(uint64_t value);

// One stage block of a stage file: its size and hash.
struct StageBlockHash {
    uint64_t bytes = 0;
    uint64_t hash = 0;
};

// A stage file's size and hash, and those of each stage block readable in it
// (by the game's reading rules, up to the end or to where the file is refused).
struct StageFileHashes {
    std::string error;  // the file cannot be read; empty when it was
    uint64_t bytes = 0;
    uint64_t hash = 0;
    std::vector<StageBlockHash> stages;
};
StageFileHashes hash_stage_file(const std::string& path);
StageFileHashes hash_stage_text(std::string_view text);

}  // namespace vorne::stagefile
