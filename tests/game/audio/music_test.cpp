#include <gtest/gtest.h>

#include <set>

#include "game/audio/audio.h"
#include "game/audio/music_commands.h"

namespace vorne {
namespace {

class FakeMidi : public MidiPlayer {
  public:
    bool load(const std::string& path) override {
        loaded = path;
        return path.find("missing") == std::string::npos;
    }
    void play_from_start() override {
        ++starts;
        playing = true;
    }
    void stop() override { playing = false; }
    void unload() override { loaded.clear(); }
    bool is_playing() override { return playing; }
    std::string loaded;
    int starts = 0;
    bool playing = false;
};

class RecordingPort : public MusicPort {
  public:
    explicit RecordingPort(MusicPort& inner) : inner_(inner) {}
    uint32_t send_command(std::string_view c, std::string* r, int32_t n) override {
        sent.emplace_back(c);
        return inner_.send_command(c, r, n);
    }
    std::vector<std::string> sent;

  private:
    MusicPort& inner_;
};

TEST(MusicCommands, OpenPlayStatusStopClose) {
    FakeMidi midi;
    MusicInterpreter m(midi);
    EXPECT_EQ(
        m.send_command("open \"/games/my folder/sound/PSMAT503.mid\" type sequencer alias midifile",
                       nullptr, 0),
        music_ok);
    EXPECT_EQ(midi.loaded, "/games/my folder/sound/PSMAT503.mid");
    EXPECT_EQ(m.send_command("play midifile from 0", nullptr, 0), music_ok);
    std::string mode;
    EXPECT_EQ(m.send_command("status midifile mode", &mode, 15), music_ok);
    EXPECT_EQ(mode, "playing");
    EXPECT_EQ(m.send_command("stop midifile ", nullptr, 0), music_ok);
    EXPECT_EQ(m.send_command("status midifile mode", &mode, 15), music_ok);
    EXPECT_EQ(mode, "stopped");
    EXPECT_EQ(m.send_command("close midifile", nullptr, 0), music_ok);
    EXPECT_FALSE(m.is_open());
}

TEST(MusicCommands, NothingOpenIsAnError) {
    FakeMidi midi;
    MusicInterpreter m(midi);
    std::string mode = "untouched";
    EXPECT_NE(m.send_command("status midifile mode", &mode, 15), music_ok);
    EXPECT_EQ(mode, "untouched");
    EXPECT_NE(m.send_command("play midifile from 0", nullptr, 0), music_ok);
    EXPECT_NE(m.send_command("stop midifile ", nullptr, 0), music_ok);
    EXPECT_NE(m.send_command("close midifile", nullptr, 0), music_ok);
    EXPECT_EQ(midi.starts, 0);
    // A missing file leaves nothing open.
    EXPECT_EQ(m.send_command("open \"missing.mid\" type sequencer alias midifile", nullptr, 0),
              music_error_file_not_found);
    EXPECT_FALSE(m.is_open());
}

TEST(MusicCommands, OnePieceAtATimeAndUnknownCommands) {
    FakeMidi midi;
    MusicInterpreter m(midi);
    const char* open = "open \"a.mid\" type sequencer alias midifile";
    EXPECT_EQ(m.send_command(open, nullptr, 0), music_ok);
    EXPECT_EQ(m.send_command(open, nullptr, 0), music_error_alias_in_use);
    EXPECT_EQ(m.send_command("play other from 0", nullptr, 0), music_error_unknown_alias);
    EXPECT_EQ(m.send_command("rewind midifile", nullptr, 0), music_error_unrecognized);
    EXPECT_EQ(m.send_command("", nullptr, 0), music_error_unrecognized);
    std::string mode;
    m.send_command("play midifile from 0", nullptr, 0);
    EXPECT_EQ(m.send_command("status midifile mode", &mode, 4), music_ok);
    EXPECT_EQ(mode, "pla");  // the return buffer's length bounds the answer
}

TEST(Music, PlayMusicSendsOpenAndPlay) {
    FakeMidi midi;
    MusicInterpreter interpreter(midi);
    RecordingPort port(interpreter);
    play_music(port, "/opt/vorne", 2);
    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(port.sent[0], "open \"/opt/vorne/sound/PSMAT526.mid\" type sequencer alias midifile");
    EXPECT_EQ(port.sent[1], "play midifile from 0");
    play_music(port, "/opt/vorne", 4);
    play_music(port, "/opt/vorne", 0);
    EXPECT_EQ(port.sent.size(), 2u);
}

TEST(Music, LoopRestartsOnlyAnEndedPiece) {
    FakeMidi midi;
    MusicInterpreter interpreter(midi);
    RecordingPort port(interpreter);
    loop_music(port);  // nothing open: the query fails and nothing starts
    EXPECT_EQ(port.sent, std::vector<std::string>{"status midifile mode"});

    play_music(port, "/opt/vorne", 1);
    loop_music(port);
    EXPECT_EQ(midi.starts, 1);  // still playing
    midi.playing = false;       // the piece has ended
    loop_music(port);
    EXPECT_EQ(midi.starts, 2);
    EXPECT_EQ(port.sent.back(), "play midifile from 0");

    stop_music(port);
    loop_music(port);  // stopped and closed: nothing starts
    EXPECT_EQ(midi.starts, 2);
}

}  // namespace
}  // namespace vorne

namespace vorne {
namespace {

class FakeMixer : public EffectMixer {
  public:
    bool channel_playing(int32_t channel) override { return sounding.count(channel) > 0; }
    void start_channel(int32_t channel) override {
        started.push_back(channel);
        sounding.insert(channel);
    }
    void wait_for_channel(int32_t channel) override {
        waited.push_back(channel);
        sounding.erase(channel);  // waits until the fanfare has ended
    }
    std::set<int32_t> sounding;
    std::vector<int32_t> started, waited;
};

TEST(Effects, OneVoicePerEffectAndDifferentEffectsOverlap) {
    FakeMixer mixer;
    play_effect_on(mixer, sound_item);
    play_effect_on(mixer, sound_item);  // still sounding: not started again
    play_effect_on(mixer, sound_door);  // a different effect overlaps
    EXPECT_EQ(mixer.started, (std::vector<int32_t>{sound_item, sound_door}));
    mixer.sounding.clear();
    play_effect_on(mixer, sound_item);  // ended: starts again
    EXPECT_EQ(mixer.started.back(), sound_item);
}

TEST(Effects, FanfarePlaysToItsEndAndOtherNumbersDoNothing) {
    FakeMixer mixer;
    play_effect_on(mixer, sound_clear);
    EXPECT_EQ(mixer.started, std::vector<int32_t>{sound_clear});
    EXPECT_EQ(mixer.waited, std::vector<int32_t>{sound_clear});
    play_effect_on(mixer, 0);
    play_effect_on(mixer, 8);
    play_effect_on(mixer, -1);
    EXPECT_EQ(mixer.started.size(), 1u);
}

}  // namespace
}  // namespace vorne
