// Music sources: malformed ones are rejected at their line; good ones land
// on the right ticks and come out as a Standard MIDI File a player reads.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/sounds/sound_file_readers.h"
#include "tools/soundgen/midi_file.h"
#include "tools/soundgen/music.h"
#include "tools/soundgen/source_text.h"

namespace vorne::soundgen {
namespace {

// A one-track piece around the given music lines.
std::string piece(const std::string& music, const std::string& head = "") {
    return head + "track Lead\n  channel 1\n  program 81\n" + music + "end\n";
}

struct BadSource {
    std::string text;
    int line;
    const char* problem;
};

TEST(SoundgenMusic, MalformedSourcesAreRejectedAtTheirLine) {
    const std::string drums = "track Drums\n  channel 10\n  | kick/4 snare kick snare |\nend\n";
    const BadSource cases[] = {
        {piece("  | c4/4 d4 e4 |\n"), 4, "bar line 3/4 note after the start of bar 1"},
        {piece("  | c4/4 d4 e4 f4 | g4/8 |\n"), 4, "1/8 note after the start of bar 2"},
        {piece("  | c4/3 d4 e4 f4 |\n"), 4, "'/3' is not a length"},
        {piece("  | c4/1 | h4/1 |\n"), 4, "'h4' is not a note"},
        {piece("  | kick/1 |\n"), 4, "'kick' is not a note"},
        {piece("  | @riff |\n"), 4, "no phrase named 'riff'"},
        {piece("  | @loop |\n", "phrase loop\n  @loop\nend\n"), 2, "plays itself"},
        {piece("  | c4/2 @riff |\n", "phrase riff\n  d4/4 |\nend\n"), 2,
         "(in phrase 'riff' played at line 7)"},
        {piece("  | [c4 e4/4 g4]/4 r/2. |\n"), 4, "takes the chord's length"},
        {piece("  | [c4 e4\n  g4]/1 |\n"), 4, "not closed"},
        {piece("  | c4/1 vel=200 |\n"), 4, "vel= takes 1 to 127"},
        {piece("  | c4/1!0 |\n"), 4, "not an accent"},
        {piece("  | c4/1 |\n  volume 80\n"), 5, "before the track's music"},
        {piece("  | c4/1 | c4/4\n"), 1, "lasts 1 bar and 1/4: a track must end on a bar line"},
        {piece("  | c4/1 | c4/1 |\n") + drums, 6, "lasts 1 bar but track 'Lead' lasts 2 bars"},
        {piece("  | c4/1 |\n") + piece("  | c4/1 |\n"), 6, "a second track named 'Lead'"},
        {piece("  | c4/1 |\n") + "track Bass\n  channel 1\n  program 34\n  | c2/1 |\nend\n", 6,
         "uses channel 1 as track 'Lead' does"},
        {"track Pad\n  channel 2\n  | c4/1 |\nend\n", 1, "has no 'program'"},
        {"track Pad\n  channel 2\n  program 129\n", 3, "out of range"},
        {"tempo 120\ntempo 90\n", 2, "given twice"},
        {"meter 5/7\n", 1, "not a meter"},
        {"key C\n", 1, "unknown setting 'key'"},
        {"phrase riff\n  c4/4\n", 1, "has no 'end'"},
        {"phrase a\n  c4/4\ntrack B\n", 3, "missing 'end'"},
        {"# only a comment\n", 0, "no track"},
    };
    for (const BadSource& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parse_song(c.text, "tune.mus");
            ADD_FAILURE() << "accepted";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_NE(e.problem().find(c.problem), std::string::npos) << e.what();
            EXPECT_EQ(e.file(), "tune.mus");
        }
    }
}

TEST(SoundgenMusic, WordsLandOnTheTickGrid) {
    const Song song = parse_song(piece("  gate 50\n  velocity 90\n"
                                       "  | c4/4 ~/8 d4 e4/8t f4 g4 @up+12 |\n"
                                       "  | [c4 e4!70]/2!100 r/4 vel=60 c4/4 |\n",
                                       "tempo 90\nmeter 4/4\nphrase up\n  a3/8 b3\nend\n"),
                                 "grid.mus");
    ASSERT_EQ(song.tracks.size(), 1u);
    EXPECT_EQ(song.length, 2 * 1920u);
    EXPECT_DOUBLE_EQ(song.seconds(), 8 / 1.5);
    struct Want {
        uint32_t start, length;
        int key, velocity;
    };
    const Want want[] = {
        {0, 360, 60, 90},      // c4 quarter tied to an eighth, gate 50%
        {720, 120, 62, 90},    // d4 eighth
        {960, 80, 64, 90},     // triplet eighths
        {1120, 80, 65, 90},    //
        {1280, 80, 67, 90},    //
        {1440, 120, 69, 90},   // the phrase, an octave up
        {1680, 120, 71, 90},   //
        {1920, 480, 60, 100},  // the chord, accented as a whole ...
        {1920, 480, 64, 70},   // ... and one member on its own
        {3360, 240, 60, 60},   // after the rest, softer
    };
    const auto& notes = song.tracks[0].notes;
    ASSERT_EQ(notes.size(), std::size(want));
    for (size_t i = 0; i < notes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(notes[i].start, want[i].start);
        EXPECT_EQ(notes[i].length, want[i].length);
        EXPECT_EQ(notes[i].key, want[i].key);
        EXPECT_EQ(notes[i].velocity, want[i].velocity);
    }
}

TEST(SoundgenMusic, MidiFileReadsBackAsWritten) {
    // Long rests make delta times that need three bytes; repeated notes
    // must end before they start again.
    const Song song = parse_song(
        "title Test piece\ntempo 150\nmeter 3/4\n"
        "track Lead\n  channel 3\n  program 12\n  volume 70\n  pan 20\n  reverb 40\n  gate 100\n"
        "  | c5/4 c5 c5 | r/2. | r | r | r | r | r | r | r | r | r | r | r | g5/2. |\nend\n"
        "track Drums\n  channel 10\n  | kick/4 [snare hat] kick | r/2. | r | r | r | r | r"
        " | r | r | r | r | r | r | ohat/2. |\nend\n",
        "rt.mus");
    const test::MidiFile f = test::parse_midi(encode_midi(song));
    EXPECT_EQ(f.format, 1);
    EXPECT_EQ(f.division, 480);
    ASSERT_EQ(f.tracks.size(), 3u);

    const auto* tempo = test::find_meta(f.tracks[0], 0x51);
    ASSERT_NE(tempo, nullptr);
    EXPECT_EQ(tempo->data, (std::vector<uint8_t>{0x06, 0x1A, 0x80}));  // 400000 us
    const auto* meter = test::find_meta(f.tracks[0], 0x58);
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->data[0], 3);
    EXPECT_EQ(meter->data[1], 2);
    const auto* title = test::find_meta(f.tracks[0], 0x03);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(std::string(title->data.begin(), title->data.end()), "Test piece");

    const uint32_t end = 14 * 1440;
    for (const auto& track : f.tracks)
        EXPECT_EQ(track.back().tick, end);

    const auto& lead = f.tracks[1];
    bool program = false, volume = false, pan = false, reverb = false;
    for (const auto& e : lead) {
        if (e.status == 0xC2 && e.data[0] == 11) program = true;
        if (e.status == 0xB2 && e.data == std::vector<uint8_t>{7, 70}) volume = true;
        if (e.status == 0xB2 && e.data == std::vector<uint8_t>{10, 20}) pan = true;
        if (e.status == 0xB2 && e.data == std::vector<uint8_t>{91, 40}) reverb = true;
    }
    EXPECT_TRUE(program && volume && pan && reverb);
    const auto notes = test::notes_of(lead);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0].end, 480u);
    EXPECT_EQ(notes[1].start, 480u);
    EXPECT_EQ(notes[2].end, 1440u);
    EXPECT_EQ(notes[3].start, 13 * 1440u);
    EXPECT_EQ(notes[3].key, 79);
    EXPECT_EQ(notes[3].channel, 2);
    // The same key struck again: its note-off comes first, or a synthesiser
    // would cut the new note short.
    std::vector<uint8_t> at_480;
    for (const auto& e : lead) {
        if (e.tick == 480 && e.status != 0xFF) at_480.push_back(e.status);
    }
    EXPECT_EQ(at_480, (std::vector<uint8_t>{0x82, 0x92}));

    const auto drums = test::notes_of(f.tracks[2]);
    ASSERT_EQ(drums.size(), 5u);
    for (const auto& n : drums)
        EXPECT_EQ(n.channel, 9);
    for (const auto& e : f.tracks[2])
        EXPECT_NE(e.kind(), 0xC) << "no program for the kit";
}

}  // namespace
}  // namespace vorne::soundgen
