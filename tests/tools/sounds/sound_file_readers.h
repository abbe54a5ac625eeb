// Minimal, independent readers of WAV and Standard MIDI Files, so the tests
// judge the generated files the way a player program would read them.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vorne::test {

inline std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    return {text.begin(), text.end()};
}

struct Wave {
    int channels = 0;
    int sample_rate = 0;
    int bits = 0;
    std::vector<int16_t> samples;

    double seconds() const { return static_cast<double>(samples.size()) / sample_rate; }
};

// Accepts any RIFF layout (extra chunks, odd padding); rejects what a
// loader would: a short file, no fmt before data, a data size past the end.
inline Wave parse_wave(const std::vector<uint8_t>& b) {
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(b.at(at) | b.at(at + 1) << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    auto tag = [&](size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); };
    if (b.size() < 12 || tag(0) != "RIFF" || tag(8) != "WAVE") throw std::runtime_error("no RIFF");
    if (u32(4) + 8 != b.size()) throw std::runtime_error("RIFF size does not match the file");
    Wave w;
    bool have_format = false;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::string id = tag(at);
        const uint32_t size = u32(at + 4);
        const size_t body = at + 8;
        if (body + size > b.size()) throw std::runtime_error("chunk " + id + " runs past the end");
        if (id == "fmt ") {
            if (size < 16 || u16(body) != 1) throw std::runtime_error("not PCM");
            w.channels = static_cast<int>(u16(body + 2));
            w.sample_rate = static_cast<int>(u32(body + 4));
            w.bits = static_cast<int>(u16(body + 14));
            const uint32_t align = u16(body + 12);
            if (align != static_cast<uint32_t>(w.channels * w.bits / 8) ||
                u32(body + 8) != w.sample_rate * align) {
                throw std::runtime_error("byte rate or block align inconsistent");
            }
            have_format = true;
        } else if (id == "data") {
            if (!have_format) throw std::runtime_error("data before fmt");
            if (w.bits != 16 || size % 2 != 0) throw std::runtime_error("not 16-bit");
            for (uint32_t i = 0; i < size; i += 2) {
                w.samples.push_back(static_cast<int16_t>(u16(body + i)));
            }
        }
        at = body + size + (size & 1);
    }
    if (!have_format) throw std::runtime_error("no fmt chunk");
    return w;
}

struct MidiEvent {
    uint32_t tick = 0;
    uint8_t status = 0;     // 0xFF for meta events
    uint8_t meta_type = 0;  // meta events only
    std::vector<uint8_t> data;

    int kind() const { return status >> 4; }
    int channel() const { return status & 0x0F; }
};

struct MidiFile {
    int format = 0;
    int division = 0;
    std::vector<std::vector<MidiEvent>> tracks;
};

inline MidiFile parse_midi(const std::vector<uint8_t>& b) {
    size_t at = 0;
    auto need = [&](size_t n) {
        if (at + n > b.size()) throw std::runtime_error("file ends early");
    };
    auto be = [&](int n) {
        need(static_cast<size_t>(n));
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 8 | b[at++];
        return v;
    };
    auto chunk_tag = [&] {
        need(4);
        std::string t(b.begin() + at, b.begin() + at + 4);
        at += 4;
        return t;
    };
    if (chunk_tag() != "MThd" || be(4) != 6) throw std::runtime_error("no MThd");
    MidiFile f;
    f.format = static_cast<int>(be(2));
    const uint32_t count = be(2);
    f.division = static_cast<int>(be(2));
    for (uint32_t t = 0; t < count; ++t) {
        if (chunk_tag() != "MTrk") throw std::runtime_error("no MTrk");
        const size_t end = at + be(4);
        if (end > b.size()) throw std::runtime_error("track runs past the end");
        auto varlen = [&] {
            uint32_t v = 0;
            for (int i = 0; i < 4; ++i) {
                if (at >= end) throw std::runtime_error("track ends inside a number");
                const uint8_t c = b[at++];
                v = v << 7 | (c & 0x7F);
                if (!(c & 0x80)) return v;
            }
            throw std::runtime_error("number longer than four bytes");
        };
        std::vector<MidiEvent> events;
        uint32_t tick = 0;
        uint8_t running = 0;
        bool ended = false;
        while (at < end) {
            if (ended) throw std::runtime_error("events after End of Track");
            MidiEvent e;
            tick += varlen();
            e.tick = tick;
            if (at >= end) throw std::runtime_error("track ends inside an event");
            uint8_t first = b[at];
            if (first == 0xFF) {
                ++at;
                e.status = 0xFF;
                if (at >= end) throw std::runtime_error("track ends inside a meta event");
                e.meta_type = b[at++];
                const uint32_t len = varlen();
                if (at + len > end) throw std::runtime_error("meta event runs past its track");
                e.data.assign(b.begin() + at, b.begin() + at + len);
                at += len;
                ended = e.meta_type == 0x2F;
            } else if (first == 0xF0 || first == 0xF7) {
                ++at;
                e.status = first;
                const uint32_t len = varlen();
                at += len;
            } else {
                if (first & 0x80) {
                    running = first;
                    ++at;
                } else if (running == 0) {
                    throw std::runtime_error("data byte without a status");
                }
                e.status = running;
                const int kind = running >> 4;
                const size_t len = (kind == 0xC || kind == 0xD) ? 1 : 2;
                if (at + len > end) throw std::runtime_error("track ends inside an event");
                e.data.assign(b.begin() + at, b.begin() + at + len);
                at += len;
            }
            events.push_back(std::move(e));
        }
        if (!ended) throw std::runtime_error("track has no End of Track");
        f.tracks.push_back(std::move(events));
    }
    return f;
}

struct HeardNote {
    uint32_t start = 0;
    uint32_t end = 0;
    int channel = 0;
    int key = 0;
    int velocity = 0;
};

// Pairs note-ons with their note-offs (a note-on of velocity 0 ends a note
// too); throws on a note that never ends or an end without a note.
inline std::vector<HeardNote> notes_of(const std::vector<MidiEvent>& events) {
    std::map<std::pair<int, int>, std::vector<HeardNote>> open;
    std::vector<HeardNote> done;
    for (const MidiEvent& e : events) {
        if (e.status == 0xFF || (e.kind() != 8 && e.kind() != 9)) continue;
        const auto id = std::make_pair(e.channel(), static_cast<int>(e.data[0]));
        if (e.kind() == 9 && e.data[1] > 0) {
            open[id].push_back({e.tick, 0, e.channel(), e.data[0], e.data[1]});
            continue;
        }
        auto& waiting = open[id];
        if (waiting.empty()) throw std::runtime_error("note-off without a note");
        HeardNote n = waiting.front();
        waiting.erase(waiting.begin());
        n.end = e.tick;
        done.push_back(n);
    }
    for (const auto& [id, waiting] : open) {
        if (!waiting.empty()) throw std::runtime_error("a note never ends");
    }
    return done;
}

inline const MidiEvent* find_meta(const std::vector<MidiEvent>& events, uint8_t type) {
    for (const MidiEvent& e : events) {
        if (e.status == 0xFF && e.meta_type == type) return &e;
    }
    return nullptr;
}

}  // namespace vorne::test
