// The sound effects and music the build puts beside the game: each must load,
// fit its use in the game, and never clip; the play theme must loop cleanly;
// the music's renderings keep their peaks under -3 dBFS and end where the
// game's music timer finds them ended.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "tests/tools/sounds/sound_file_readers.h"

namespace vorne::test {
namespace {

std::string sound_path(const std::string& name) {
    const char* bin = std::getenv("VORNE_BIN_DIR");
    return std::string(bin ? bin : "bin") + "/sound/" + name;
}

struct EffectLimits {
    const char* file;
    double shortest;  // seconds
    double longest;
};

// How long each effect may last, from how the game uses it: the fanfare
// holds the game while it plays, the shot sounds many times a second.
const EffectLimits kEffects[] = {
    {"clear.wav", 1.5, 3.5},      {"kinka.wav", 0.1, 0.6}, {"door.wav", 0.3, 1.5},
    {"yarare.wav", 0.3, 1.5},     {"over.wav", 1.5, 3.0},  {"kogeki.wav", 0.03, 0.3},
    {"tekiyarare.wav", 0.1, 0.8},
};

double db(double level) {
    return 20.0 * std::log10(std::max(level, 1e-9));
}

// Loudness of the loudest 50 ms, in dB of full scale.
double loudest_moment(const Wave& w) {
    const size_t window = static_cast<size_t>(w.sample_rate / 20);
    double best = 0;
    for (size_t at = 0; at + window <= w.samples.size(); at += window / 2) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i)
            sum += double(w.samples[i]) * w.samples[i];
        best = std::max(best, std::sqrt(sum / window) / 32768.0);
    }
    return db(best);
}

TEST(SoundAssets, EffectsAreMonoPcmWavesOfTheRightLength) {
    for (const EffectLimits& e : kEffects) {
        SCOPED_TRACE(e.file);
        Wave w;
        ASSERT_NO_THROW(w = parse_wave(read_bytes(sound_path(e.file))));
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_TRUE(w.sample_rate == 22050 || w.sample_rate == 44100) << w.sample_rate;
        EXPECT_GE(w.seconds(), e.shortest);
        EXPECT_LE(w.seconds(), e.longest);
    }
}

TEST(SoundAssets, EffectsNeitherClipNorClick) {
    for (const EffectLimits& e : kEffects) {
        SCOPED_TRACE(e.file);
        const Wave w = parse_wave(read_bytes(sound_path(e.file)));
        ASSERT_FALSE(w.samples.empty());
        int peak = 0;
        double sum = 0;
        for (int16_t s : w.samples) {
            peak = std::max(peak, std::abs(int{s}));
            sum += s;
        }
        EXPECT_LE(db(peak / 32768.0), -1.0) << "too close to clipping";
        // A jump from or to silence at either end is heard as a click.
        EXPECT_LE(std::abs(int{w.samples.front()}), 64);
        EXPECT_LE(std::abs(int{w.samples.back()}), 64);
        EXPECT_LE(std::abs(sum / w.samples.size()), 200.0) << "offset from zero";
    }
}

TEST(SoundAssets, EffectsAreEquallyLoudButTheShotIsSofter) {
    double softest = 0, loudest = -100, shot = 0;
    for (const EffectLimits& e : kEffects) {
        const double level = loudest_moment(parse_wave(read_bytes(sound_path(e.file))));
        if (std::string(e.file) == "kogeki.wav") {
            shot = level;
            continue;
        }
        softest = std::min(softest, level);
        loudest = std::max(loudest, level);
    }
    EXPECT_LE(loudest - softest, 6.0) << "the effects' loudness differs too much";
    EXPECT_GE(softest, -24.0);
    EXPECT_LE(shot, softest) << "the shot, heard most often, should be the softest";
    EXPECT_GE(shot, softest - 12.0) << "the shot should still be heard";
}

struct PieceRules {
    const char* file;
    std::vector<std::pair<int, int>> channel_programs;  // channel 0..15, program 0..127 or -1
    double shortest;                                    // seconds
    double longest;
};

const PieceRules kPieces[] = {
    {"PSMAT503.mid", {{0, 80}, {1, 9}, {2, 50}, {3, 33}, {9, -1}}, 30, 120},
    {"PSMAT526.mid", {{0, 80}, {1, 11}, {2, 4}, {3, 38}, {9, -1}}, 60, 120},
    {"PSMAT528.mid", {{0, 61}, {1, 48}, {2, 32}, {3, 47}, {4, 9}, {9, -1}}, 30, 120},
};

TEST(SoundAssets, MusicHasItsInstrumentsOnTheirChannels) {
    for (const PieceRules& p : kPieces) {
        SCOPED_TRACE(p.file);
        MidiFile f;
        ASSERT_NO_THROW(f = parse_midi(read_bytes(sound_path(p.file))));
        EXPECT_EQ(f.format, 1);
        ASSERT_GT(f.division, 0) << "ticks per quarter note, not SMPTE time";
        ASSERT_EQ(f.tracks.size(), p.channel_programs.size() + 1);
        ASSERT_NE(find_meta(f.tracks[0], 0x51), nullptr) << "no tempo";
        ASSERT_NE(find_meta(f.tracks[0], 0x58), nullptr) << "no meter";
        for (size_t t = 1; t < f.tracks.size(); ++t) {
            const auto [channel, program] = p.channel_programs[t - 1];
            std::set<int> channels;
            std::vector<int> programs;
            uint32_t first_note = UINT32_MAX, program_tick = 0;
            for (const MidiEvent& e : f.tracks[t]) {
                if (e.status == 0xFF || e.status >= 0xF0) continue;
                channels.insert(e.channel());
                if (e.kind() == 0xC) {
                    programs.push_back(e.data[0]);
                    program_tick = e.tick;
                }
                if (e.kind() == 9) first_note = std::min(first_note, e.tick);
            }
            EXPECT_EQ(channels, std::set<int>{channel}) << "track " << t;
            EXPECT_NE(first_note, UINT32_MAX) << "track " << t << " plays nothing";
            if (program < 0) {
                EXPECT_TRUE(programs.empty()) << "the drum kit needs no program";
            } else {
                EXPECT_EQ(programs, std::vector<int>{program}) << "track " << t;
                EXPECT_LE(program_tick, first_note) << "program set after the first note";
            }
        }
    }
}

TEST(SoundAssets, MusicEndsOnABarLineWithEveryNoteFinished) {
    for (const PieceRules& p : kPieces) {
        SCOPED_TRACE(p.file);
        const MidiFile f = parse_midi(read_bytes(sound_path(p.file)));
        const MidiEvent* meter = find_meta(f.tracks[0], 0x58);
        const MidiEvent* tempo = find_meta(f.tracks[0], 0x51);
        ASSERT_TRUE(meter && tempo && meter->data.size() == 4 && tempo->data.size() == 3);
        const uint32_t bar =
            static_cast<uint32_t>(f.division) * 4 * meter->data[0] >> meter->data[1];
        const double micros_per_quarter =
            tempo->data[0] << 16 | tempo->data[1] << 8 | tempo->data[2];
        // The restart begins again at tick 0: every track must reach the
        // same bar line, and nothing may still sound there.
        const uint32_t end = f.tracks[0].back().tick;
        EXPECT_EQ(end % bar, 0u) << "ends " << end % bar << " ticks into a bar";
        for (size_t t = 0; t < f.tracks.size(); ++t) {
            const uint32_t last = f.tracks[t].back().tick;
            EXPECT_EQ(last, end) << "track " << t << " ends elsewhere";
            std::vector<HeardNote> notes;
            ASSERT_NO_THROW(notes = notes_of(f.tracks[t])) << "track " << t;
            for (const HeardNote& n : notes)
                EXPECT_LE(n.end, end);
        }
        const double seconds = end / double(f.division) * micros_per_quarter / 1e6;
        EXPECT_GE(seconds, p.shortest);
        EXPECT_LE(seconds, p.longest);
    }
}

// Decodes an Ogg Vorbis rendering to its peak (dB of full scale) and length.
struct RenderingFigures {
    double peak_db = 0;
    double seconds = 0;
};

RenderingFigures decode_rendering(const std::string& path) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) throw std::runtime_error("cannot decode " + path);
    const vorbis_info* info = ov_info(&vf, -1);
    float peak = 0;
    long frames = 0;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            throw std::runtime_error("damaged " + path);
        }
        if (n == 0) break;
        for (int c = 0; c < info->channels; ++c)
            for (long i = 0; i < n; ++i)
                peak = std::max(peak, std::fabs(pcm[c][i]));
        frames += n;
    }
    RenderingFigures r{db(peak), double(frames) / info->rate};
    ov_clear(&vf);
    return r;
}

double midi_seconds(const MidiFile& f) {
    const MidiEvent* tempo = find_meta(f.tracks[0], 0x51);
    const double micros_per_quarter = tempo->data[0] << 16 | tempo->data[1] << 8 | tempo->data[2];
    return f.tracks[0].back().tick / double(f.division) * micros_per_quarter / 1e6;
}

TEST(SoundAssets, MusicRenderingsKeepUnderMinusThreeDbfsAndEndAfterTheirLastBar) {
    // The title theme plays again when the title's 15 s music timer fires
    // after it has ended: it ends less than 3 s before a firing, with a
    // margin for the sound device's latency.
    const double title_timer = 15.0;
    for (const PieceRules& p : kPieces) {
        SCOPED_TRACE(p.file);
        std::string ogg = p.file;
        ogg.replace(ogg.size() - 4, 4, ".ogg");
        RenderingFigures r;
        ASSERT_NO_THROW(r = decode_rendering(sound_path(ogg)));
        const double bar_line = midi_seconds(parse_midi(read_bytes(sound_path(p.file))));
        std::cout << ogg << ": peak " << r.peak_db << " dBFS, " << r.seconds << " s, last bar line "
                  << bar_line << " s\n";
        EXPECT_LE(r.peak_db, -3.0);
        EXPECT_GE(r.peak_db, -12.0) << "far softer than the piece was mixed";
        EXPECT_GE(r.seconds, bar_line - 0.05);
        EXPECT_LE(r.seconds, bar_line + 3.0) << "a long tail holds the restart back";
        if (ogg == "PSMAT503.ogg") {
            const double firing = std::ceil(r.seconds / title_timer) * title_timer;
            EXPECT_GE(firing - r.seconds, 0.5);
            EXPECT_LE(firing - bar_line, 3.0);
        }
    }
}

}  // namespace
}  // namespace vorne::test
