// 16-bit PCM mono WAV files, the format the game's mixer loads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne::soundgen {

std::vector<uint8_t> encode_wav(const std::vector<int16_t>& samples, int sample_rate);

}  // namespace vorne::soundgen
