// The proofs of a stage file's stages: recordings of play that clear a stage,
// kept beside the file as FILE.proofs/stage-NN.txt. The editor keeps one when
// a try clears its stage (or the game's solver finds a way), and shows for
// each stage whether its proof still fits it: a proof names the bytes of the
// stage it was made on by their hash, so a changed stage's proof is stale.
// Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::editor {

enum class ProofState { none, proven, stale };

// FILE.proofs/stage-NN.txt for stage number (1 = first).
std::string proof_path(const std::string& stage_file, int32_t number);

// The stage hash a recording's header names ("# stage-fnv1a64: HEX"); none
// when the text has no such line among its leading comments.
std::optional<uint64_t> recorded_stage_hash(std::string_view recording);

// For each stage block of stage_file_bytes (the file as it would be saved),
// whether a proof is kept for it at stage_file's proof paths and fits it. A
// proof that cannot be read counts as stale.
std::vector<ProofState> proof_states(const std::string& stage_file,
                                     std::string_view stage_file_bytes);

}  // namespace vorne::editor
