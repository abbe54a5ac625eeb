// Music: our text notation compiled to notes on a tick grid, ready for a
// Standard MIDI File.
//
// A piece is a list of lines, '#' starting a comment:
//
//   title Play theme      name stored in the file (default: none)
//   tempo 144             quarter notes per minute (default 120)
//   meter 4/4             beats per bar and the beat's note value (default 4/4)
//
//   phrase riff           a named stretch of music that tracks play with @riff
//     | c3/8 c3 g3 c3 bb2 c3 g3 c3 |
//   end
//
//   track Bass            one instrument on one MIDI channel
//     channel 2           1..16; channel 10 is the drum kit
//     program 39          General MIDI instrument, numbered 1..128 as in its list
//     volume 100          channel volume 0..127 (default 100)
//     pan 64              0 left, 64 centre, 127 right (default 64)
//     reverb 40           effect depths 0..127 (default: left to the synthesiser)
//     chorus 0
//     velocity 90         how hard notes are struck, 1..127 (default 100)
//     gate 90             percent of its time that a note sounds (default 90)
//     | @riff*2 | @riff+5 | c3/2 ~/4 r/4 |
//   end
//
// Music words, separated by blanks:
//   c5 f#4 bb3            a note; on channel 10 also a drum name (kick, snare, hat ...)
//   c5/8                  ... with a length: /1 /2 /4 /8 /16 /32 /64, a dot for
//                         half as long again (/4.), 't' for a triplet (/8t). A length
//                         stays in force for the words that follow.
//   c5/8!110  [kick hat!60]/8   a velocity for this note alone (in a chord: for
//                         one member, or after the length for all the others)
//   r  r/2                a rest
//   ~  ~/8                holds the note or chord before it longer (a tie)
//   [c4 e4 g4]/2          a chord
//   |                     a bar line: checked to fall on the start of a bar
//   @riff @riff+5 @riff*4 @riff-2*2   a phrase, moved by semitones, played N times
//   vel=80 gate=60        change velocity or gate from here on
//
// Every track must last the same whole number of bars, so a piece ends on a
// bar line and can be played again from its start without a seam.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::soundgen {

constexpr uint32_t kTicksPerQuarter = 480;
constexpr int kDrumChannel = 9;  // channel 10, counted from 0

struct MidiNote {
    uint32_t start = 0;   // ticks
    uint32_t length = 0;  // ticks, at least 1
    uint8_t key = 0;
    uint8_t velocity = 0;
};

struct SongTrack {
    std::string name;
    int line = 0;
    int channel = 0;   // 0..15
    int program = -1;  // 0..127; -1 sends none
    int volume = 100;
    int pan = 64;
    int reverb = -1;  // -1 sends none
    int chorus = -1;
    std::vector<MidiNote> notes;
};

struct Song {
    std::string title;
    double tempo = 120;  // quarter notes per minute
    int beats_per_bar = 4;
    int beat_unit = 4;
    uint32_t length = 0;  // ticks, a whole number of bars
    std::vector<SongTrack> tracks;

    uint32_t bar_ticks() const { return kTicksPerQuarter * 4 / beat_unit * beats_per_bar; }
    double seconds() const { return length / (tempo / 60.0 * kTicksPerQuarter); }
};

// Throws SourceError naming `file` and the line for anything malformed.
Song parse_song(std::string_view text, const std::string& file);

// Drum names of channel 10 and their General MIDI keys.
int drum_key(std::string_view name);  // -1 when unknown

}  // namespace vorne::soundgen
