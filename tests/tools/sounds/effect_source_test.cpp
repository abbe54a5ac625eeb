// Effect descriptions: malformed ones are rejected at their line; good ones
// render at the pitch, length and level they ask for, without clicks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tools/soundgen/effect.h"
#include "tools/soundgen/source_text.h"

namespace vorne::soundgen {
namespace {

struct BadSource {
    const char* text;
    int line;
    const char* problem;
};

TEST(SoundgenEffect, MalformedSourcesAreRejectedAtTheirLine) {
    const BadSource cases[] = {
        {"voice\n wave square\n pitch c5\n length 0.1\n wobble 3\nend\n", 5,
         "unknown voice setting 'wobble'"},
        {"rate 48000\nvoice\n pitch c5\n length 0.1\nend\n", 1, "22050 or 44100"},
        {"voice\n wave fuzz\n pitch c5\n length 0.1\nend\n", 2, "unknown wave 'fuzz'"},
        {"# a comment\n\nvoice\n pitch c5\n length 0.1\n", 3, "no 'end'"},
        {"voice\n pitch h5\n length 0.1\nend\n", 2, "'h5' is not a note name"},
        {"voice\n wave sine\n duty 30\n pitch c5\n length 0.1\nend\n", 3, "only for square"},
        {"voice\n step 0.1\n notes c5 e5\n notes - g5\n pitch c5\nend\n", 1,
         "both 'pitch' and 'notes'"},
        {"voice\n step 0.1\n notes - c5\nend\n", 3, "'-' holds the note before it"},
        {"voice\n step 0.1\n notes c5 x9\nend\n", 3, "'x9' is not a note name"},
        {"voice\n pitch c5\nend\n", 1, "no 'length'"},
        {"peak -6\npeak -3\nvoice\n pitch c5\n length 0.1\nend\n", 2, "given twice"},
        {"voice\n pitch c5\n length 0.1\n gain loud\nend\n", 4, "'loud' is not a number"},
        {"voice\n pitch c5\n length 0.1\n sustain 2\nend\n", 4, "out of range"},
        {"voice\n pitch c5\n length 0.1\n voice\nend\n", 4, "missing 'end'"},
        {"end\n", 1, "'end' without a 'voice'"},
        {"volume 3\n", 1, "unknown setting 'volume'"},
        {"voice\n pitch c5\n length 9\n start 5\nend\n", 0, "more than the 10 s"},
        {"", 0, "no voice"},
    };
    for (const BadSource& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parse_effect(c.text, "boom.sfx");
            ADD_FAILURE() << "accepted";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_NE(e.problem().find(c.problem), std::string::npos) << e.what();
            const std::string where =
                c.line > 0 ? "boom.sfx:" + std::to_string(c.line) + ": " : "boom.sfx: ";
            EXPECT_EQ(std::string(e.what()).rfind(where, 0), 0u) << e.what();
        }
    }
}

TEST(SoundgenEffect, NoteSequencesHoldAndRest) {
    // A hold after a rest must not lengthen the note before the rest.
    const Effect fx =
        parse_effect("voice\n step 0.1\n notes c5 - r - e5 220 -\n release 0.01\nend\n", "seq.sfx");
    ASSERT_EQ(fx.voices.size(), 1u);
    const auto& notes = fx.voices[0].notes;
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_DOUBLE_EQ(notes[0].start, 0.0);
    EXPECT_NEAR(notes[0].gate, 0.2, 1e-9);
    EXPECT_NEAR(notes[1].start, 0.4, 1e-9);
    EXPECT_NEAR(notes[1].gate, 0.1, 1e-9);
    EXPECT_NEAR(notes[1].frequency, 659.255, 0.01);  // e5
    EXPECT_NEAR(notes[2].start, 0.5, 1e-9);
    EXPECT_NEAR(notes[2].gate, 0.2, 1e-9);
    EXPECT_DOUBLE_EQ(notes[2].frequency, 220.0);
    EXPECT_NEAR(effect_duration(fx), 0.71, 1e-9);
}

// Counts upward zero crossings of the middle of a sound to find its pitch.
double measured_pitch(const std::vector<int16_t>& s, int rate) {
    const size_t from = s.size() / 4, to = s.size() * 3 / 4;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i)
        crossings += s[i - 1] < 0 && s[i] >= 0;
    return crossings * rate / double(to - from);
}

TEST(SoundgenEffect, RendersAtItsPitchLengthAndPeak) {
    const Effect fx = parse_effect(
        "rate 22050\npeak -12\nvoice\n wave sine\n pitch a4\n length 1\n attack 0\n"
        " release 0.1\nend\n",
        "tone.sfx");
    const auto samples = render_effect(fx);
    EXPECT_NEAR(samples.size() / 22050.0, 1.1, 0.01);
    EXPECT_NEAR(measured_pitch(samples, 22050), 440.0, 3.0);
    int peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(int{s}));
    EXPECT_NEAR(peak, 32767 * std::pow(10.0, -12 / 20.0), 1.0);
    // Attack 0 is raised to the shortest fade, so the first samples are quiet.
    EXPECT_EQ(samples.front(), 0);
    EXPECT_LT(std::abs(int{samples[5]}), peak / 4);
    EXPECT_LT(std::abs(int{samples.back()}), 16);
}

TEST(SoundgenEffect, WavesAreCentredAndSlidesMoveThePitch) {
    for (const char* wave : {"square\n duty 20\n pitch 300", "saw\n pitch 300",
                             "triangle\n pitch 300", "noise\n pitch 10000"}) {
        SCOPED_TRACE(wave);
        const std::string text =
            std::string("voice\n wave ") + wave + "\n length 0.5\n attack 0.01\nend\n";
        const auto s = render_effect(parse_effect(text, "wave.sfx"));
        double sum = 0;
        for (int16_t v : s)
            sum += v;
        EXPECT_LT(std::abs(sum / s.size()), 300.0) << "offset from zero";
    }
    // An octave up over the whole note ends near twice the starting pitch.
    const auto s = render_effect(parse_effect(
        "voice\n wave sine\n pitch 200\n length 1\n slide 12 0.5\nend\n", "slide.sfx"));
    const std::vector<int16_t> tail(s.begin() + 44100 * 6 / 10, s.begin() + 44100);
    EXPECT_NEAR(measured_pitch(tail, 44100), 400.0, 8.0);
}

}  // namespace
}  // namespace vorne::soundgen
