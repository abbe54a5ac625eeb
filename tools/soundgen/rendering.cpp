#include "tools/soundgen/rendering.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/soundgen/source_text.h"

namespace vorne::soundgen {
namespace {

uint32_t get_u16(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8;
}

uint32_t get_u32(const std::vector<uint8_t>& b, size_t at) {
    return get_u16(b, at) | get_u16(b, at + 2) << 16;
}

double db_of(double level) {
    return 20.0 * std::log10(std::max(level, 1e-9));
}

}  // namespace

double Rendering::seconds() const {
    return channels > 0 && sample_rate > 0
               ? static_cast<double>(samples.size()) / channels / sample_rate
               : 0.0;
}

Rendering parse_float_wav(const std::vector<uint8_t>& b, const std::string& file) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        throw SourceError(file, 0, "not a WAV file");
    Rendering r;
    bool have_format = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = get_u32(b, at + 4);
        const size_t body = at + 8;
        if (size > b.size() - body) throw SourceError(file, 0, "WAV chunk runs past the end");
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
            uint32_t format = get_u16(b, body);
            if (format == 0xFFFE && size >= 26) format = get_u16(b, body + 24);  // extensible
            r.channels = static_cast<int>(get_u16(b, body + 2));
            r.sample_rate = static_cast<int>(get_u32(b, body + 4));
            if (format != 3 || get_u16(b, body + 14) != 32 || r.channels < 1)
                throw SourceError(file, 0, "not 32-bit float samples");
            have_format = true;
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            if (!have_format) throw SourceError(file, 0, "WAV data before its format");
            r.samples.resize(size / 4);
            std::memcpy(r.samples.data(), b.data() + body, r.samples.size() * 4);
            return r;
        }
        at = body + size + (size & 1);
    }
    throw SourceError(file, 0, "WAV file without data");
}

FinishedRendering finish_rendering(const Rendering& r, double bar_seconds, double ceiling_db) {
    const size_t channels = static_cast<size_t>(std::max(r.channels, 1));
    const size_t frames = r.samples.size() / channels;
    const double tail_level = std::pow(10.0, kTailLevelDb / 20.0);

    // The end: the bar line, or past it the frame after the last one above
    // the tail level.
    size_t end = std::min(frames, static_cast<size_t>(std::ceil(bar_seconds * r.sample_rate)));
    for (size_t f = frames; f > end; --f) {
        bool loud = false;
        for (size_t c = 0; c < channels; ++c)
            loud = loud || std::fabs(r.samples[(f - 1) * channels + c]) > tail_level;
        if (loud) {
            end = f;
            break;
        }
    }

    FinishedRendering out;
    double peak = 0;
    for (size_t i = 0; i < end * channels; ++i)
        peak = std::max(peak, static_cast<double>(std::fabs(r.samples[i])));
    out.peak_in_db = db_of(peak);
    out.gain_db = std::min(0.0, ceiling_db - out.peak_in_db);
    const double gain = std::pow(10.0, out.gain_db / 20.0);

    const size_t fade = std::min(end, static_cast<size_t>(kFadeSeconds * r.sample_rate));
    out.samples.resize(end * channels);
    int peak_out = 0;
    for (size_t f = 0; f < end; ++f) {
        double g = gain;
        if (f + fade >= end) g *= static_cast<double>(end - 1 - f) / static_cast<double>(fade);
        for (size_t c = 0; c < channels; ++c) {
            const double v =
                std::clamp(r.samples[f * channels + c] * g * 32767.0, -32767.0, 32767.0);
            const int s = static_cast<int>(std::lround(v));
            out.samples[f * channels + c] = static_cast<int16_t>(s);
            peak_out = std::max(peak_out, std::abs(s));
        }
    }
    out.seconds = r.sample_rate > 0 ? static_cast<double>(end) / r.sample_rate : 0.0;
    out.peak_out_db = db_of(peak_out / 32768.0);
    return out;
}

}  // namespace vorne::soundgen
