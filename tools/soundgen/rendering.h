// Finishing a synthesiser's rendering of a piece for the game: the inaudible
// tail cut, the level capped, the samples made 16-bit.
//
// FluidSynth renders a piece until its last voice has died away, often many
// seconds of sound far below hearing after the last bar line; the game starts
// a piece again only once it has ended, so that tail would be heard as a
// pause. A rendering therefore ends at its last bar line or, when the sound
// rings on past it, where it falls for good below kTailLevelDb, with a short
// fade so the cut is never heard as a click.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne::soundgen {

constexpr double kTailLevelDb = -70;    // dB of full scale
constexpr double kFadeSeconds = 0.010;  // at the very end

// Interleaved frames of 32-bit float samples, full scale +-1.
struct Rendering {
    int sample_rate = 0;
    int channels = 0;
    std::vector<float> samples;
    double seconds() const;
};

// Reads a WAV file of 32-bit float samples (what `fluidsynth -O float -T wav`
// writes); throws SourceError naming `file` on anything else.
Rendering parse_float_wav(const std::vector<uint8_t>& bytes, const std::string& file);

struct FinishedRendering {
    std::vector<int16_t> samples;  // interleaved, as the rendering's channels
    double seconds = 0;
    double peak_in_db = 0;   // of the rendering as it came
    double gain_db = 0;      // applied: 0, or less to keep under the ceiling
    double peak_out_db = 0;  // of the finished samples
};

// Cuts the tail (never before `bar_seconds`, the piece's last bar line),
// lowers the level when the peak would pass `ceiling_db` and quantises to
// 16 bits by rounding: the same input always gives the same output.
FinishedRendering finish_rendering(const Rendering& r, double bar_seconds, double ceiling_db);

}  // namespace vorne::soundgen
