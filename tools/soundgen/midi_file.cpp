#include "tools/soundgen/midi_file.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vorne::soundgen {
namespace {

struct Event {
    uint32_t tick = 0;
    int order = 0;  // at one tick: set-up, then note-offs, then note-ons
    std::vector<uint8_t> bytes;
};

void put_u16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    put_u16(out, v >> 16);
    put_u16(out, v & 0xFFFF);
}

void put_varlen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v != 0);
    while (n > 1)
        out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

Event meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data) {
    Event e{tick, 0, {0xFF, type}};
    put_varlen(e.bytes, static_cast<uint32_t>(data.size()));
    e.bytes.insert(e.bytes.end(), data.begin(), data.end());
    return e;
}

Event text_meta(uint8_t type, const std::string& text) {
    return meta(0, type, std::vector<uint8_t>(text.begin(), text.end()));
}

Event controller(int channel, int number, int value) {
    return {0,
            0,
            {static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(number),
             static_cast<uint8_t>(value)}};
}

// Sorts the events and writes them as one MTrk chunk ending at `end`.
void put_track(std::vector<uint8_t>& out, std::vector<Event> events, uint32_t end) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    for (const Event& e : events) {
        put_varlen(body, e.tick - now);
        now = e.tick;
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    put_varlen(body, end - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    put_u32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

std::vector<uint8_t> encode_midi(const Song& song) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
    put_u32(out, 6);
    put_u16(out, 1);  // format 1
    put_u16(out, static_cast<uint32_t>(song.tracks.size() + 1));
    put_u16(out, kTicksPerQuarter);

    std::vector<Event> conductor;
    if (!song.title.empty()) conductor.push_back(text_meta(0x03, song.title));
    uint8_t unit_power = 0;
    while ((1 << unit_power) < song.beat_unit)
        ++unit_power;
    // MIDI clocks per metronome click: 24 per quarter note.
    const uint8_t clocks = static_cast<uint8_t>(24 * 4 / song.beat_unit);
    conductor.push_back(
        meta(0, 0x58, {static_cast<uint8_t>(song.beats_per_bar), unit_power, clocks, 8}));
    const uint32_t micros = static_cast<uint32_t>(std::lround(60000000.0 / song.tempo));
    conductor.push_back(meta(0, 0x51,
                             {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                              static_cast<uint8_t>(micros)}));
    put_track(out, conductor, song.length);

    for (const SongTrack& t : song.tracks) {
        std::vector<Event> events;
        events.push_back(text_meta(0x03, t.name));
        if (t.program >= 0) {
            events.push_back(
                {0, 0, {static_cast<uint8_t>(0xC0 | t.channel), static_cast<uint8_t>(t.program)}});
        }
        events.push_back(controller(t.channel, 7, t.volume));
        events.push_back(controller(t.channel, 10, t.pan));
        if (t.reverb >= 0) events.push_back(controller(t.channel, 91, t.reverb));
        if (t.chorus >= 0) events.push_back(controller(t.channel, 93, t.chorus));
        const uint8_t on = static_cast<uint8_t>(0x90 | t.channel);
        const uint8_t off = static_cast<uint8_t>(0x80 | t.channel);
        for (const MidiNote& n : t.notes) {
            events.push_back({n.start, 2, {on, n.key, n.velocity}});
            events.push_back({n.start + n.length, 1, {off, n.key, 64}});
        }
        put_track(out, std::move(events), song.length);
    }
    return out;
}

}  // namespace vorne::soundgen
