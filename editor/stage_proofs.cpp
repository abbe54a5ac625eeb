#include "editor/stage_proofs.h"

#include <charconv>
#include <cstdio>
#include <fstream>

#include "stagefile/hashes.h"

namespace vorne::editor {

namespace {

// A header is a few dozen comment lines; a proof's stage hash is among them.
constexpr size_t kHeaderBytes = 4096;
constexpr std::string_view kStageHashKey = "# stage-fnv1a64: ";

}  // namespace

std::string proof_path(const std::string& stage_file, int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "stage-%02d.txt", static_cast<int>(number));
    return stage_file + ".proofs/" + name;
}

std::optional<uint64_t> recorded_stage_hash(std::string_view recording) {
    size_t start = 0;
    while (start < recording.size() && recording[start] == '#') {
        size_t end = recording.find('\n', start);
        if (end == std::string_view::npos) end = recording.size();
        std::string_view line = recording.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.starts_with(kStageHashKey)) {
            line.remove_prefix(kStageHashKey.size());
            uint64_t hash = 0;
            const auto [rest, error] =
                std::from_chars(line.data(), line.data() + line.size(), hash, 16);
            if (error != std::errc() || rest != line.data() + line.size() || line.size() != 16)
                return std::nullopt;
            return hash;
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::vector<ProofState> proof_states(const std::string& stage_file,
                                     std::string_view stage_file_bytes) {
    const stagefile::StageFileHashes hashes = stagefile::hash_stage_text(stage_file_bytes);
    std::vector<ProofState> states;
    states.reserve(hashes.stages.size());
    for (size_t i = 0; i < hashes.stages.size(); ++i) {
        std::ifstream file(proof_path(stage_file, static_cast<int32_t>(i + 1)), std::ios::binary);
        if (!file) {
            states.push_back(ProofState::none);
            continue;
        }
        std::string header(kHeaderBytes, '\0');
        file.read(header.data(), static_cast<std::streamsize>(header.size()));
        header.resize(static_cast<size_t>(file.gcount()));
        const std::optional<uint64_t> hash = recorded_stage_hash(header);
        states.push_back(hash && *hash == hashes.stages[i].hash ? ProofState::proven
                                                                : ProofState::stale);
    }
    return states;
}

}  // namespace vorne::editor
