#include "tools/soundgen/wav_file.h"

namespace vorne::soundgen {
namespace {

void put_u16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

void put_tag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<uint8_t> encode_wav(const std::vector<int16_t>& samples, int sample_rate,
                                int channels) {
    const uint32_t frame_bytes = 2 * static_cast<uint32_t>(channels);
    const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + data_bytes);
    put_tag(out, "RIFF");
    put_u32(out, 36 + data_bytes);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32(out, 16);
    put_u16(out, 1);  // PCM
    put_u16(out, static_cast<uint32_t>(channels));
    put_u32(out, static_cast<uint32_t>(sample_rate));
    put_u32(out, static_cast<uint32_t>(sample_rate) * frame_bytes);  // bytes per second
    put_u16(out, frame_bytes);                                       // bytes per frame
    put_u16(out, 16);                                                // bits per sample
    put_tag(out, "data");
    put_u32(out, data_bytes);
    for (int16_t s : samples)
        put_u16(out, static_cast<uint16_t>(s));
    return out;
}

}  // namespace vorne::soundgen
