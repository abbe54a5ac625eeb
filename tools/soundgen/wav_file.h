// 16-bit PCM WAV files, the format the game's mixer loads (effects are mono;
// finished music renderings are stereo, frames interleaved).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne::soundgen {

std::vector<uint8_t> encode_wav(const std::vector<int16_t>& samples, int sample_rate,
                                int channels = 1);

}  // namespace vorne::soundgen
