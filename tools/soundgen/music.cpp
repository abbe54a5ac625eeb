#include "tools/soundgen/music.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <numeric>
#include <optional>
#include <set>

#include "tools/soundgen/source_text.h"

namespace vorne::soundgen {
namespace {

constexpr uint32_t kWholeNote = kTicksPerQuarter * 4;
constexpr int kDeepestPhrase = 16;
constexpr uint32_t kLongestSong = kWholeNote * 4096;  // keeps every tick count well inside 32 bits

struct Word {
    std::string text;
    int line = 0;
};

struct Phrase {
    int line = 0;
    std::vector<Word> words;
};

struct TrackDraft {
    SongTrack track;
    int velocity = 100;
    int gate = 90;
    std::vector<Word> words;
    std::map<std::string, int> seen;
};

const std::set<std::string> kTrackSettings = {"channel", "program", "volume",   "pan",
                                              "reverb",  "chorus",  "velocity", "gate"};

bool valid_name(std::string_view name) {
    if (name.empty()) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

std::string whole_note_fraction(uint32_t ticks) {
    const uint32_t g = std::gcd(ticks, kWholeNote);
    return std::to_string(ticks / g) + "/" + std::to_string(kWholeNote / g);
}

// A note while its track is being read: its length before the gate.
struct DraftNote {
    uint32_t start = 0;
    uint32_t nominal = 0;
    int key = 0;
    int velocity = 0;
    int gate = 0;
};

// Plays the words of one track, phrases included, onto the tick grid.
class TrackReader {
  public:
    TrackReader(const SourceReader& src, const std::map<std::string, Phrase>& phrases,
                uint32_t bar_ticks, const TrackDraft& draft)
        : src_(src),
          phrases_(phrases),
          bar_ticks_(bar_ticks),
          drums_(draft.track.channel == kDrumChannel),
          velocity_(draft.velocity),
          gate_(draft.gate) {}

    void play(const std::vector<Word>& words, int transpose, int depth) {
        for (const Word& w : words) {
            if (chord_ && w.line != chord_line_) {
                fail(chord_line_, "the chord is not closed with ']' on its line");
            }
            play_word(w, transpose, depth);
        }
        if (chord_) fail(chord_line_, "the chord is not closed with ']' on its line");
    }

    uint32_t time() const { return time_; }

    std::vector<MidiNote> notes() const {
        std::vector<MidiNote> out;
        out.reserve(notes_.size());
        for (const DraftNote& n : notes_) {
            const uint32_t length =
                std::max<uint32_t>(1, static_cast<uint32_t>(uint64_t{n.nominal} * n.gate / 100));
            out.push_back(
                {n.start, length, static_cast<uint8_t>(n.key), static_cast<uint8_t>(n.velocity)});
        }
        return out;
    }

  private:
    [[noreturn]] void fail(int line, const std::string& problem) const {
        std::string where;
        for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
            where += " (in phrase '" + it->first + "' played at line " +
                     std::to_string(it->second) + ")";
        }
        src_.fail(line, problem + where);
    }

    void play_word(const Word& w, int transpose, int depth) {
        const std::string& t = w.text;
        if (t == "|") {
            check_bar_line(w.line);
        } else if (t[0] == '@') {
            play_phrase(w, transpose, depth);
        } else if (t.find('=') != std::string::npos) {
            change_setting(w);
        } else if (chord_ || t[0] == '[') {
            chord_word(w, transpose);
        } else {
            single_word(w, transpose);
        }
    }

    void check_bar_line(int line) {
        const uint32_t into = time_ % bar_ticks_;
        if (into == 0) return;
        fail(line, "bar line " + whole_note_fraction(into) + " note after the start of bar " +
                       std::to_string(time_ / bar_ticks_ + 1) +
                       ": the music since the last bar line does not fill whole bars");
    }

    void play_phrase(const Word& w, int transpose, int depth) {
        const std::string& t = w.text;
        size_t end = 1;
        while (end < t.size() && t[end] != '+' && t[end] != '-' && t[end] != '*')
            ++end;
        const std::string name = t.substr(1, end - 1);
        int shift = 0;
        int times = 1;
        auto read_int = [&](size_t from, size_t to, int& value) {
            auto [ptr, ec] = std::from_chars(t.data() + from, t.data() + to, value);
            return ec == std::errc() && ptr == t.data() + to && from < to;
        };
        const size_t star = t.find('*', end);
        const size_t shift_end = star == std::string::npos ? t.size() : star;
        bool ok = valid_name(name);
        if (ok && end < shift_end) {
            ok = t[end] != '*' && read_int(end + (t[end] == '+'), shift_end, shift) &&
                 shift >= -48 && shift <= 48;
        }
        if (ok && star != std::string::npos) {
            ok = read_int(star + 1, t.size(), times) && times >= 1 && times <= 256;
        }
        if (!ok) {
            fail(w.line,
                 "'" + t + "' is not a phrase call (like @riff, @riff+5, @riff*2 or @riff-2*4)");
        }
        auto it = phrases_.find(name);
        if (it == phrases_.end()) fail(w.line, "no phrase named '" + name + "'");
        if (depth >= kDeepestPhrase) fail(w.line, "phrase '" + name + "' plays itself");
        calls_.emplace_back(name, w.line);
        for (int i = 0; i < times; ++i)
            play(it->second.words, transpose + shift, depth + 1);
        calls_.pop_back();
    }

    void change_setting(const Word& w) {
        const std::string& t = w.text;
        const size_t eq = t.find('=');
        const std::string key = t.substr(0, eq);
        int value = 0;
        auto [ptr, ec] = std::from_chars(t.data() + eq + 1, t.data() + t.size(), value);
        const bool number = ec == std::errc() && ptr == t.data() + t.size() && eq + 1 < t.size();
        if (key == "vel") {
            if (!number || value < 1 || value > 127) fail(w.line, "vel= takes 1 to 127");
            velocity_ = value;
        } else if (key == "gate") {
            if (!number || value < 1 || value > 100) fail(w.line, "gate= takes 1 to 100");
            gate_ = value;
        } else {
            fail(w.line, "unknown setting '" + t + "' (expected vel= or gate=)");
        }
    }

    // "/8", "/4.", "/8t" after a note; changes the length in force.
    void read_length(const Word& w, std::string_view length_text) {
        const std::string bad = "'" + std::string(length_text) +
                                "' is not a length (like /4, /8, /4. or /8t) in '" + w.text + "'";
        if (length_text.size() < 2 || length_text[0] != '/') fail(w.line, bad);
        size_t i = 1;
        while (i < length_text.size() && length_text[i] >= '0' && length_text[i] <= '9')
            ++i;
        int value = 0;
        auto [ptr, ec] = std::from_chars(length_text.data() + 1, length_text.data() + i, value);
        if (ec != std::errc() || ptr != length_text.data() + i) fail(w.line, bad);
        if (value != 1 && value != 2 && value != 4 && value != 8 && value != 16 && value != 32 &&
            value != 64) {
            fail(w.line, bad);
        }
        uint32_t ticks = kWholeNote / static_cast<uint32_t>(value);
        if (i < length_text.size() && length_text[i] == '.') {
            ticks = ticks * 3 / 2;
            ++i;
        }
        if (i < length_text.size() && length_text[i] == 't') {
            ticks = ticks * 2 / 3;
            ++i;
        }
        if (i != length_text.size()) fail(w.line, bad);
        length_ = ticks;
    }

    int read_key(const Word& w, std::string_view name, int transpose) {
        if (drums_) {
            int key = drum_key(name);
            if (key >= 0) return key;
        }
        auto key = parse_note_name(name);
        if (!key) {
            std::string problem = "'" + std::string(name) + "' is not a note";
            problem += drums_ ? ", a drum name or a rest" : " (like c5, f#4, bb3) or a rest";
            fail(w.line, problem);
        }
        const int moved = *key + transpose;
        if (moved < 0 || moved > 127) {
            fail(w.line, "'" + std::string(name) + "' moved by " + std::to_string(transpose) +
                             " semitones leaves the MIDI range");
        }
        return moved;
    }

    void advance(const Word& w) {
        if (time_ + length_ > kLongestSong) fail(w.line, "the track is far too long");
        time_ += length_;
    }

    // Takes a trailing "!VEL" off `text`; the velocity in force when there is none.
    int read_accent(const Word& w, std::string_view& text) {
        const size_t bang = text.find('!');
        if (bang == std::string_view::npos) return velocity_;
        int value = 0;
        auto [ptr, ec] = std::from_chars(text.data() + bang + 1, text.data() + text.size(), value);
        if (ec != std::errc() || ptr != text.data() + text.size() || value < 1 || value > 127) {
            fail(w.line, "'" + std::string(text.substr(bang)) + "' in '" + w.text +
                             "' is not an accent (! and a velocity of 1 to 127)");
        }
        text = text.substr(0, bang);
        return value;
    }

    void single_word(const Word& w, int transpose) {
        std::string_view t = w.text;
        const int velocity = read_accent(w, t);
        const size_t slash = t.find('/');
        const std::string name(t.substr(0, slash));
        if (slash != std::string::npos) read_length(w, t.substr(slash));
        if (name == "r") {
            held_.clear();
        } else if (name == "~") {
            for (size_t index : held_)
                notes_[index].nominal += length_;
        } else if (name.empty() || name[0] == ']') {
            fail(w.line, "'" + w.text + "' is not a note, a rest or a hold");
        } else {
            const int key = read_key(w, name, transpose);
            held_.assign(1, notes_.size());
            notes_.push_back({time_, length_, key, velocity, gate_});
        }
        advance(w);
    }

    void chord_word(const Word& w, int transpose) {
        std::string_view t = w.text;
        if (t[0] == '[') {
            if (chord_) fail(w.line, "a chord inside a chord");
            chord_ = true;
            chord_line_ = w.line;
            chord_keys_.clear();
            t.remove_prefix(1);
        }
        const size_t close = t.find(']');
        std::string_view member = t.substr(0, close);
        if (!member.empty()) {
            if (member.find('/') != std::string_view::npos) {
                fail(w.line, "a note inside a chord takes the chord's length: write [c4 e4]/4");
            }
            const bool accented = member.find('!') != std::string_view::npos;
            const int velocity = read_accent(w, member);
            chord_keys_.push_back({read_key(w, member, transpose), accented ? velocity : 0});
        }
        if (close == std::string_view::npos) return;
        chord_ = false;
        if (chord_keys_.empty()) fail(w.line, "an empty chord");
        std::string_view rest = t.substr(close + 1);
        const int velocity = read_accent(w, rest);
        if (!rest.empty()) read_length(w, rest);
        held_.clear();
        for (auto [key, accent] : chord_keys_) {
            held_.push_back(notes_.size());
            notes_.push_back({time_, length_, key, accent ? accent : velocity, gate_});
        }
        advance(w);
    }

    const SourceReader& src_;
    const std::map<std::string, Phrase>& phrases_;
    uint32_t bar_ticks_;
    bool drums_;
    int velocity_;
    int gate_;
    uint32_t time_ = 0;
    uint32_t length_ = kTicksPerQuarter;
    std::vector<DraftNote> notes_;
    std::vector<size_t> held_;  // the notes a '~' lengthens
    bool chord_ = false;
    int chord_line_ = 0;
    std::vector<std::pair<int, int>> chord_keys_;     // key, own accent or 0
    std::vector<std::pair<std::string, int>> calls_;  // phrases being played, for messages
};

void set_track_value(const SourceReader& src, TrackDraft& draft, const SourceLine& line) {
    const std::string& key = line.words[0];
    auto [it, fresh] = draft.seen.emplace(key, line.number);
    if (!fresh) {
        src.fail(line.number, "'" + key + "' is given twice in this track (first at line " +
                                  std::to_string(it->second) + ")");
    }
    src.expect_arguments(line, 1);
    SongTrack& t = draft.track;
    if (key == "channel") {
        t.channel = src.integer(line, 1, "channel", 1, 16) - 1;
    } else if (key == "program") {
        t.program = src.integer(line, 1, "program", 1, 128) - 1;
    } else if (key == "volume") {
        t.volume = src.integer(line, 1, "volume", 0, 127);
    } else if (key == "pan") {
        t.pan = src.integer(line, 1, "pan", 0, 127);
    } else if (key == "reverb") {
        t.reverb = src.integer(line, 1, "reverb", 0, 127);
    } else if (key == "chorus") {
        t.chorus = src.integer(line, 1, "chorus", 0, 127);
    } else if (key == "velocity") {
        draft.velocity = src.integer(line, 1, "velocity", 1, 127);
    } else if (key == "gate") {
        draft.gate = src.integer(line, 1, "gate", 1, 100);
    }
}

std::string bars_text(uint32_t ticks, uint32_t bar_ticks) {
    std::string text = std::to_string(ticks / bar_ticks) + " bar";
    if (ticks / bar_ticks != 1) text += "s";
    if (ticks % bar_ticks != 0) text += " and " + whole_note_fraction(ticks % bar_ticks);
    return text;
}

}  // namespace

int drum_key(std::string_view name) {
    static const std::map<std::string_view, int> kDrums = {
        {"kick", 36},   {"kick2", 35},   {"rim", 37},    {"snare", 38},  {"clap", 39},
        {"snare2", 40}, {"tom1", 41},    {"hat", 42},    {"tom2", 43},   {"phat", 44},
        {"tom3", 45},   {"ohat", 46},    {"tom4", 47},   {"tom5", 48},   {"crash", 49},
        {"tom6", 50},   {"ride", 51},    {"china", 52},  {"bell", 53},   {"tamb", 54},
        {"splash", 55}, {"cowbell", 56}, {"crash2", 57}, {"shaker", 70}, {"triangle", 81},
    };
    auto it = kDrums.find(name);
    return it == kDrums.end() ? -1 : it->second;
}

Song parse_song(std::string_view text, const std::string& file) {
    SourceReader src(file);
    Song song;
    std::map<std::string, Phrase> phrases;
    std::vector<TrackDraft> drafts;
    std::map<std::string, int> seen;
    enum class Block { none, phrase, track };
    Block block = Block::none;
    int block_line = 0;
    std::string phrase_name;
    bool track_music = false;

    for (const SourceLine& line : split_source(text)) {
        const std::string& key = line.words[0];
        if (block != Block::none && key == "end") {
            src.expect_arguments(line, 0);
            block = Block::none;
            continue;
        }
        if (block != Block::none && (key == "track" || key == "phrase")) {
            src.fail(line.number, "'" + key + "' inside the block of line " +
                                      std::to_string(block_line) + " (missing 'end'?)");
        }
        if (block == Block::phrase) {
            for (const std::string& w : line.words) {
                phrases[phrase_name].words.push_back({w, line.number});
            }
            continue;
        }
        if (block == Block::track) {
            TrackDraft& draft = drafts.back();
            if (kTrackSettings.count(key)) {
                if (track_music) {
                    src.fail(line.number, "'" + key + "' must come before the track's music");
                }
                set_track_value(src, draft, line);
            } else {
                track_music = true;
                for (const std::string& w : line.words)
                    draft.words.push_back({w, line.number});
            }
            continue;
        }
        if (key == "end") src.fail(line.number, "'end' without a 'track' or 'phrase'");
        if (key == "phrase" || key == "track") {
            src.expect_arguments(line, 1);
            const std::string& name = line.words[1];
            if (!valid_name(name)) {
                src.fail(line.number, "'" + name + "' is not a name (letters, digits and _ only)");
            }
            block = key == "phrase" ? Block::phrase : Block::track;
            block_line = line.number;
            if (block == Block::phrase) {
                if (phrases.count(name)) {
                    src.fail(line.number, "a second phrase named '" + name + "' (first at line " +
                                              std::to_string(phrases[name].line) + ")");
                }
                phrase_name = name;
                phrases[name].line = line.number;
            } else {
                for (const TrackDraft& d : drafts) {
                    if (d.track.name == name) {
                        src.fail(line.number, "a second track named '" + name +
                                                  "' (first at line " +
                                                  std::to_string(d.track.line) + ")");
                    }
                }
                drafts.emplace_back();
                drafts.back().track.name = name;
                drafts.back().track.line = line.number;
                drafts.back().track.channel = -1;
                track_music = false;
            }
            continue;
        }
        if (key != "title" && key != "tempo" && key != "meter") {
            src.fail(line.number, "unknown setting '" + key +
                                      "' (expected title, tempo, meter, phrase or track)");
        }
        auto [it, fresh] = seen.emplace(key, line.number);
        if (!fresh) {
            src.fail(line.number, "'" + key + "' is given twice (first at line " +
                                      std::to_string(it->second) + ")");
        }
        if (!drafts.empty()) {
            src.fail(line.number, "'" + key + "' must come before the tracks");
        }
        if (key == "title") {
            src.expect_at_least(line, 1);
            for (size_t i = 1; i < line.words.size(); ++i) {
                song.title += (i > 1 ? " " : "") + line.words[i];
            }
        } else if (key == "tempo") {
            src.expect_arguments(line, 1);
            song.tempo = src.number(line, 1, "tempo", 20, 400);
        } else {
            src.expect_arguments(line, 1);
            const std::string& m = line.words[1];
            const size_t slash = m.find('/');
            int beats = 0, unit = 0;
            bool ok = slash != std::string::npos;
            if (ok) {
                auto a = std::from_chars(m.data(), m.data() + slash, beats);
                auto b = std::from_chars(m.data() + slash + 1, m.data() + m.size(), unit);
                ok = a.ec == std::errc() && a.ptr == m.data() + slash && b.ec == std::errc() &&
                     b.ptr == m.data() + m.size();
            }
            if (!ok || beats < 1 || beats > 16 || (unit != 2 && unit != 4 && unit != 8)) {
                src.fail(line.number, "'" + m + "' is not a meter (like 4/4, 3/4 or 6/8)");
            }
            song.beats_per_bar = beats;
            song.beat_unit = unit;
        }
    }
    if (block != Block::none) {
        src.fail(block_line, std::string("the ") + (block == Block::phrase ? "phrase" : "track") +
                                 " has no 'end'");
    }
    if (drafts.empty()) src.fail(0, "no track: a piece needs at least one");

    std::map<int, const TrackDraft*> channels;
    for (TrackDraft& draft : drafts) {
        SongTrack& t = draft.track;
        if (t.channel < 0) src.fail(t.line, "track '" + t.name + "' has no 'channel'");
        auto [it, fresh] = channels.emplace(t.channel, &draft);
        if (!fresh) {
            src.fail(t.line, "track '" + t.name + "' uses channel " +
                                 std::to_string(t.channel + 1) + " as track '" +
                                 it->second->track.name + "' does");
        }
        if (t.program < 0 && t.channel != kDrumChannel) {
            src.fail(t.line, "track '" + t.name + "' has no 'program'");
        }
    }

    const uint32_t bar = song.bar_ticks();
    const SongTrack* longest = nullptr;
    for (TrackDraft& draft : drafts) {
        TrackReader reader(src, phrases, bar, draft);
        reader.play(draft.words, 0, 0);
        SongTrack& t = draft.track;
        t.notes = reader.notes();
        const uint32_t length = reader.time();
        if (length % bar != 0) {
            src.fail(t.line, "track '" + t.name + "' lasts " + bars_text(length, bar) +
                                 ": a track must end on a bar line");
        }
        if (longest && length != song.length) {
            src.fail(t.line, "track '" + t.name + "' lasts " + bars_text(length, bar) +
                                 " but track '" + longest->name + "' lasts " +
                                 bars_text(song.length, bar));
        }
        if (length == 0) src.fail(t.line, "track '" + t.name + "' has no music");
        song.length = length;
        longest = &t;
    }
    for (TrackDraft& draft : drafts)
        song.tracks.push_back(std::move(draft.track));
    return song;
}

}  // namespace vorne::soundgen
