// Sound effects: a small text description rendered to 16-bit mono samples.
//
// A description is a list of settings, one a line, '#' starting a comment:
//
//   rate 44100          samples per second, 22050 or 44100 (default 44100)
//   peak -6             level of the loudest sample, dB below full scale (default -6)
//   voice               one oscillator with its own envelope; all voices are mixed
//     wave square       square, triangle, sine, saw or noise
//     duty 25           square only: percent of a cycle spent high (default 50)
//     start 0.05        seconds from the start of the effect (default 0)
//     gain 0.8          loudness in the mix, 0..4 (default 1)
//     pitch e6          one note: a note name or Hz (noise: new random values per second)
//     length 0.2        ... held this many seconds before its release
//     step 0.06         or a sequence of notes, each lasting one step ...
//     notes c5 e5 - r   ... note names or Hz; '-' holds the note before, 'r' rests
//     slide -12 0.1     pitch change in semitones, over the seconds given (default: whole note)
//     vibrato 6 0.3 0.05  rate in Hz, depth in semitones, delay in seconds
//     attack 0.005      envelope of every note, in seconds: at least 2 ms
//     decay 0.2         from full to the sustain level (default 0: no decay)
//     sustain 0.5       level held until the note ends, 0..1 (default 1)
//     release 0.05      fade after the note ends: at least 3 ms
//     lowpass 3000      softens: cut-off in Hz, 12 dB per octave
//     highpass 100      thins: cut-off in Hz, 6 dB per octave
//     seed 7            noise only: where its random sequence starts
//   end
//
// Every note fades in and out, so an effect never clicks; the mix is scaled
// so its loudest sample sits exactly at `peak`, so it never clips.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::soundgen {

enum class Wave { square, triangle, sine, saw, noise };

struct EffectNote {
    double start = 0;  // seconds from the voice's start
    double gate = 0;   // seconds held before the release
    double frequency = 0;
};

struct Voice {
    int line = 0;  // where the voice starts in its source
    Wave wave = Wave::square;
    double duty = 0.5;
    double start = 0;
    double gain = 1;
    std::vector<EffectNote> notes;
    double slide = 0;       // semitones
    double slide_time = 0;  // seconds; 0 = over the whole note
    double vibrato_rate = 0;
    double vibrato_depth = 0;  // semitones
    double vibrato_delay = 0;
    double attack = 0.002;
    double decay = 0;
    double sustain = 1;
    double release = 0.01;
    double lowpass = 0;   // Hz; 0 = off
    double highpass = 0;  // Hz; 0 = off
    uint32_t seed = 1;
};

struct Effect {
    int sample_rate = 44100;
    double peak_db = -6;
    std::vector<Voice> voices;
};

// Throws SourceError naming `file` and the line for anything malformed.
Effect parse_effect(std::string_view text, const std::string& file);

// Seconds from the start of the effect to the end of its last release.
double effect_duration(const Effect& effect);

std::vector<int16_t> render_effect(const Effect& effect);

}  // namespace vorne::soundgen
