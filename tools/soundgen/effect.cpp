#include "tools/soundgen/effect.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>

#include "tools/soundgen/source_text.h"

namespace vorne::soundgen {
namespace {

constexpr double kLongestEffect = 10.0;  // seconds; far beyond any effect the game uses
constexpr double kShortestAttack = 0.002;
constexpr double kShortestRelease = 0.003;

// What a voice block said, before it is checked as a whole.
struct VoiceDraft {
    Voice voice;
    std::optional<double> pitch;
    std::optional<double> length;
    std::optional<double> step;
    int notes_line = 0;
    std::vector<std::string> note_words;
    std::map<std::string, int> seen;  // keyword -> line, to catch settings given twice
};

std::optional<Wave> parse_wave(const std::string& word) {
    if (word == "square") return Wave::square;
    if (word == "triangle") return Wave::triangle;
    if (word == "sine") return Wave::sine;
    if (word == "saw") return Wave::saw;
    if (word == "noise") return Wave::noise;
    return std::nullopt;
}

// A note name or a frequency in Hz.
double parse_pitch(const SourceReader& src, const SourceLine& line, size_t index) {
    const std::string& word = line.words[index];
    if (auto key = parse_note_name(word)) return key_frequency(*key);
    if (!word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '.')) {
        return src.number(line, index, "frequency in Hz", 10, 20000);
    }
    src.fail(line.number,
             "'" + word + "' is not a note name (like c5 or f#4) or a frequency in Hz");
}

void set_voice_value(const SourceReader& src, VoiceDraft& draft, const SourceLine& line) {
    const std::string& key = line.words[0];
    Voice& v = draft.voice;
    if (key != "notes") {
        auto [it, fresh] = draft.seen.emplace(key, line.number);
        if (!fresh) {
            src.fail(line.number, "'" + key + "' is given twice in this voice (first at line " +
                                      std::to_string(it->second) + ")");
        }
    }
    if (key == "wave") {
        src.expect_arguments(line, 1);
        auto wave = parse_wave(line.words[1]);
        if (!wave) {
            src.fail(line.number, "unknown wave '" + line.words[1] +
                                      "' (expected square, triangle, sine, saw or noise)");
        }
        v.wave = *wave;
    } else if (key == "duty") {
        src.expect_arguments(line, 1);
        v.duty = src.number(line, 1, "duty percent", 1, 99) / 100.0;
    } else if (key == "start") {
        src.expect_arguments(line, 1);
        v.start = src.number(line, 1, "start time", 0, kLongestEffect);
    } else if (key == "gain") {
        src.expect_arguments(line, 1);
        v.gain = src.number(line, 1, "gain", 0, 4);
    } else if (key == "pitch") {
        src.expect_arguments(line, 1);
        draft.pitch = parse_pitch(src, line, 1);
    } else if (key == "length") {
        src.expect_arguments(line, 1);
        draft.length = src.number(line, 1, "length", 0.001, kLongestEffect);
    } else if (key == "step") {
        src.expect_arguments(line, 1);
        draft.step = src.number(line, 1, "step", 0.001, kLongestEffect);
    } else if (key == "notes") {
        src.expect_at_least(line, 1);
        if (draft.notes_line == 0) draft.notes_line = line.number;
        // Each word is checked now, while its line is known.
        for (size_t i = 1; i < line.words.size(); ++i) {
            const std::string& w = line.words[i];
            if (w == "-" && draft.note_words.empty()) {
                src.fail(line.number, "'-' holds the note before it, but there is none");
            }
            if (w != "-" && w != "r") parse_pitch(src, line, i);
            draft.note_words.push_back(w);
        }
    } else if (key == "slide") {
        if (line.words.size() != 2 && line.words.size() != 3) {
            src.fail(line.number, "'slide' takes semitones and, optionally, seconds");
        }
        v.slide = src.number(line, 1, "slide in semitones", -96, 96);
        if (line.words.size() == 3) v.slide_time = src.number(line, 2, "slide time", 0.001, 10);
    } else if (key == "vibrato") {
        if (line.words.size() != 3 && line.words.size() != 4) {
            src.fail(line.number, "'vibrato' takes a rate, a depth and, optionally, a delay");
        }
        v.vibrato_rate = src.number(line, 1, "vibrato rate in Hz", 0, 50);
        v.vibrato_depth = src.number(line, 2, "vibrato depth in semitones", 0, 12);
        if (line.words.size() == 4) v.vibrato_delay = src.number(line, 3, "vibrato delay", 0, 10);
    } else if (key == "attack") {
        src.expect_arguments(line, 1);
        v.attack = std::max(kShortestAttack, src.number(line, 1, "attack", 0, 10));
    } else if (key == "decay") {
        src.expect_arguments(line, 1);
        v.decay = src.number(line, 1, "decay", 0, 10);
    } else if (key == "sustain") {
        src.expect_arguments(line, 1);
        v.sustain = src.number(line, 1, "sustain level", 0, 1);
    } else if (key == "release") {
        src.expect_arguments(line, 1);
        v.release = std::max(kShortestRelease, src.number(line, 1, "release", 0, 10));
    } else if (key == "lowpass") {
        src.expect_arguments(line, 1);
        v.lowpass = src.number(line, 1, "low-pass cut-off in Hz", 20, 20000);
    } else if (key == "highpass") {
        src.expect_arguments(line, 1);
        v.highpass = src.number(line, 1, "high-pass cut-off in Hz", 10, 20000);
    } else if (key == "seed") {
        src.expect_arguments(line, 1);
        v.seed = static_cast<uint32_t>(src.integer(line, 1, "seed", 1, 1 << 30));
    } else {
        src.fail(line.number, "unknown voice setting '" + key + "'");
    }
}

Voice finish_voice(const SourceReader& src, VoiceDraft& draft, int sample_rate) {
    Voice v = draft.voice;
    const int at = v.line;
    if (draft.pitch && draft.notes_line != 0) {
        src.fail(at, "the voice has both 'pitch' and 'notes'; give one of them");
    }
    if (draft.pitch) {
        if (!draft.length) src.fail(at, "the voice has a 'pitch' but no 'length'");
        if (draft.step) src.fail(draft.seen["step"], "'step' belongs to 'notes', not to 'pitch'");
        v.notes.push_back({0.0, *draft.length, *draft.pitch});
    } else if (draft.notes_line != 0) {
        if (!draft.step) src.fail(at, "the voice has 'notes' but no 'step'");
        if (draft.length) {
            src.fail(draft.seen["length"],
                     "'length' belongs to 'pitch'; 'notes' last one step each");
        }
        const double step = *draft.step;
        bool sounding = false;  // whether a '-' now holds a note or a rest
        for (size_t i = 0; i < draft.note_words.size(); ++i) {
            const std::string& w = draft.note_words[i];
            const double t = step * static_cast<double>(i);
            if (w == "r") {
                sounding = false;
                continue;
            }
            if (w == "-") {
                if (sounding) v.notes.back().gate += step;
                continue;
            }
            sounding = true;
            SourceLine one{draft.notes_line, {"notes", w}};
            v.notes.push_back({t, step, parse_pitch(src, one, 1)});
        }
        if (v.notes.empty()) src.fail(draft.notes_line, "'notes' has only rests");
    } else {
        src.fail(at, "the voice has neither 'pitch' nor 'notes'");
    }
    if (draft.seen.count("duty") && v.wave != Wave::square) {
        src.fail(draft.seen["duty"], "'duty' is only for square waves");
    }
    if (draft.seen.count("seed") && v.wave != Wave::noise) {
        src.fail(draft.seen["seed"], "'seed' is only for noise");
    }
    const double nyquist = sample_rate / 2.0;
    if (v.lowpass >= nyquist) {
        src.fail(draft.seen["lowpass"], "'lowpass' must lie below half the sample rate");
    }
    return v;
}

// Falls from 1 at x = 0 to exactly 0 at x = 1, quickly at first, as a
// struck or plucked sound dies away.
double fall_curve(double x) {
    if (x <= 0) return 1;
    if (x >= 1) return 0;
    static const double floor = std::exp(-4.0);
    return (std::exp(-4.0 * x) - floor) / (1.0 - floor);
}

// Level of the envelope while the note is held, t seconds after it starts.
double held_level(const Voice& v, double t) {
    if (t < v.attack) return t / v.attack;
    if (v.decay <= 0) return v.sustain;
    return v.sustain + (1.0 - v.sustain) * fall_curve((t - v.attack) / v.decay);
}

// The correction of a band-limited step (polyBLEP) near a jump at phase 0.
double blep(double phase, double dt) {
    if (phase < dt) {
        double x = phase / dt;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - dt) {
        double x = (phase - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

class Oscillator {
  public:
    Oscillator(const Voice& v) : voice_(v), noise_state_(v.seed * 2654435761u | 1u) {
        next_noise();
    }

    // One sample at a frequency of `hz`, advancing the phase.
    double sample(double hz, double rate) {
        const double dt = std::min(hz / rate, 0.5);
        double out = 0;
        switch (voice_.wave) {
            case Wave::sine:
                out = std::sin(2.0 * std::numbers::pi * phase_);
                break;
            case Wave::triangle:
                // Starts at 0 rising, like the sine.
                out = phase_ < 0.25   ? 4.0 * phase_
                      : phase_ < 0.75 ? 2.0 - 4.0 * phase_
                                      : 4.0 * phase_ - 4.0;
                break;
            case Wave::saw: {
                double p = phase_ + 0.5;
                if (p >= 1.0) p -= 1.0;
                out = 2.0 * p - 1.0 - blep(p, dt);
                break;
            }
            case Wave::square: {
                const double d = voice_.duty;
                out = phase_ < d ? 1.0 : -1.0;
                out += blep(phase_, dt);
                double fall = phase_ - d;
                if (fall < 0) fall += 1.0;
                out -= blep(fall, dt);
                out -= 2.0 * d - 1.0;  // no offset from an uneven duty
                break;
            }
            case Wave::noise:
                out = noise_value_;
                break;
        }
        phase_ += hz / rate;
        while (phase_ >= 1.0) {
            phase_ -= 1.0;
            if (voice_.wave == Wave::noise) next_noise();
        }
        return out;
    }

  private:
    void next_noise() {
        uint32_t x = noise_state_;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        noise_state_ = x;
        noise_value_ = static_cast<double>(x) / 2147483647.5 - 1.0;
    }

    const Voice& voice_;
    double phase_ = 0;
    uint32_t noise_state_;
    double noise_value_ = 0;
};

double voice_end(const Voice& v) {
    double end = 0;
    for (const EffectNote& n : v.notes)
        end = std::max(end, n.start + n.gate + v.release);
    return v.start + end;
}

std::vector<double> render_voice(const Voice& v, double rate) {
    const size_t count = static_cast<size_t>(std::ceil((voice_end(v) - v.start) * rate)) + 1;
    std::vector<double> out(count, 0.0);
    for (const EffectNote& note : v.notes) {
        Oscillator osc(v);
        const size_t first = static_cast<size_t>(std::llround(note.start * rate));
        const size_t length = static_cast<size_t>(std::ceil((note.gate + v.release) * rate));
        const double gate_level = held_level(v, note.gate);
        const double slide_time = v.slide_time > 0 ? v.slide_time : note.gate;
        for (size_t i = 0; i < length && first + i < count; ++i) {
            const double t = static_cast<double>(i) / rate;
            double level = t < note.gate ? held_level(v, t)
                                         : gate_level * fall_curve((t - note.gate) / v.release);
            double semitones = v.slide * std::min(t / slide_time, 1.0);
            if (v.vibrato_depth > 0 && t > v.vibrato_delay) {
                // The vibrato eases in over 50 ms, so it never jumps in.
                const double since = t - v.vibrato_delay;
                semitones += v.vibrato_depth * std::min(since / 0.05, 1.0) *
                             std::sin(2.0 * std::numbers::pi * v.vibrato_rate * since);
            }
            const double hz = note.frequency * std::pow(2.0, semitones / 12.0);
            out[first + i] += level * osc.sample(hz, rate);
        }
    }
    if (v.lowpass > 0) {
        const double a = 1.0 - std::exp(-2.0 * std::numbers::pi * v.lowpass / rate);
        double y1 = 0, y2 = 0;
        for (double& s : out) {
            y1 += a * (s - y1);
            y2 += a * (y1 - y2);
            s = y2;
        }
    }
    if (v.highpass > 0) {
        const double a = 1.0 - std::exp(-2.0 * std::numbers::pi * v.highpass / rate);
        double low = 0;
        for (double& s : out) {
            low += a * (s - low);
            s -= low;
        }
    }
    return out;
}

}  // namespace

Effect parse_effect(std::string_view text, const std::string& file) {
    SourceReader src(file);
    Effect effect;
    std::optional<VoiceDraft> draft;
    std::map<std::string, int> seen;
    for (const SourceLine& line : split_source(text)) {
        const std::string& key = line.words[0];
        if (draft) {
            if (key == "end") {
                src.expect_arguments(line, 0);
                effect.voices.push_back(finish_voice(src, *draft, effect.sample_rate));
                draft.reset();
            } else if (key == "voice") {
                src.fail(line.number, "a new 'voice' inside the voice of line " +
                                          std::to_string(draft->voice.line) + " (missing 'end'?)");
            } else {
                set_voice_value(src, *draft, line);
            }
            continue;
        }
        if (key == "voice") {
            src.expect_arguments(line, 0);
            draft.emplace();
            draft->voice.line = line.number;
            continue;
        }
        if (key == "end") src.fail(line.number, "'end' without a 'voice'");
        if (key != "rate" && key != "peak") {
            src.fail(line.number,
                     "unknown setting '" + key + "' (expected rate, peak or voice ... end)");
        }
        auto [it, fresh] = seen.emplace(key, line.number);
        if (!fresh) {
            src.fail(line.number, "'" + key + "' is given twice (first at line " +
                                      std::to_string(it->second) + ")");
        }
        src.expect_arguments(line, 1);
        if (key == "rate") {
            if (!effect.voices.empty()) src.fail(line.number, "'rate' must come before the voices");
            effect.sample_rate = src.integer(line, 1, "sample rate", 0, 1000000);
            if (effect.sample_rate != 22050 && effect.sample_rate != 44100) {
                src.fail(line.number, "sample rate must be 22050 or 44100");
            }
        } else {
            effect.peak_db = src.number(line, 1, "peak in dB", -40, -0.1);
        }
    }
    if (draft) {
        src.fail(draft->voice.line, "the voice has no 'end'");
    }
    if (effect.voices.empty()) src.fail(0, "no voice: an effect needs at least one");
    const double duration = effect_duration(effect);
    if (duration > kLongestEffect) {
        src.fail(0, "the effect lasts " + format_number(duration) + " s, more than the " +
                        format_number(kLongestEffect) + " s an effect may");
    }
    return effect;
}

double effect_duration(const Effect& effect) {
    double end = 0;
    for (const Voice& v : effect.voices)
        end = std::max(end, voice_end(v));
    return end;
}

std::vector<int16_t> render_effect(const Effect& effect) {
    const double rate = effect.sample_rate;
    const size_t count = static_cast<size_t>(std::ceil(effect_duration(effect) * rate)) + 1;
    std::vector<double> mix(count, 0.0);
    for (const Voice& v : effect.voices) {
        const std::vector<double> voice = render_voice(v, rate);
        const size_t first = static_cast<size_t>(std::llround(v.start * rate));
        for (size_t i = 0; i < voice.size() && first + i < count; ++i) {
            mix[first + i] += v.gain * voice[i];
        }
    }
    // Filters can leave a little energy at the edges: fade the first and last
    // 2 ms so the effect starts and ends in silence.
    const size_t fade = std::min(count / 2, static_cast<size_t>(rate * 0.002));
    for (size_t i = 0; i < fade; ++i) {
        const double g = static_cast<double>(i) / static_cast<double>(fade);
        mix[i] *= g;
        mix[count - 1 - i] *= g;
    }
    double loudest = 0;
    for (double s : mix)
        loudest = std::max(loudest, std::abs(s));
    const double scale = loudest > 0 ? std::pow(10.0, effect.peak_db / 20.0) / loudest : 0.0;
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        const double s = std::clamp(std::round(mix[i] * scale * 32767.0), -32767.0, 32767.0);
        samples[i] = static_cast<int16_t>(s);
    }
    return samples;
}

}  // namespace vorne::soundgen
