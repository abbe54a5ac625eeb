// The ports of the headless runner: in memory, no display, no sound card, no
// real time. The soak, the fuzzers and the tests run the game on them too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/audio/music_commands.h"
#include "game/ports/ports.h"

namespace vorne {

// A clock that moves only when the game waits; each wait, even a spin, costs
// at least one millisecond, so a tick is released exactly 40 ms after the last.
class VirtualClock : public ClockPort {
  public:
    uint32_t now_ms() override { return now_; }
    void sleep_ms(uint32_t ms) override { now_ += ms > 0 ? ms : 1; }

  private:
    uint32_t now_ = 0;
};

// Replays recorded input through a joystick whose axes sit at the ends or the
// middle of 0..65535 and whose buttons are the recorded bits; no key is down.
class ScriptedInput : public InputPort {
  public:
    void set(int16_t stick_x, int16_t stick_y, int32_t buttons);
    bool key_down(int32_t) override { return false; }
    uint32_t joy_num_devs() override { return 1; }
    uint32_t joy_get_pos(uint32_t id, JoyPosition& out) override;
    uint32_t joy_get_caps(uint32_t id, JoyCaps& out) override;

  private:
    JoyPosition position_{32768, 32768, 0, 0};
};

class RecordingSound : public SoundPort {
  public:
    void play_effect(int32_t effect_number) override { played.push_back(effect_number); }
    std::vector<int32_t> played;
};

// A MIDI player that never ends a piece on its own (there is no real time).
class SilentMidiPlayer : public MidiPlayer {
  public:
    bool load(const std::string& path) override;
    void play_from_start() override { playing_ = true; }
    void stop() override { playing_ = false; }
    void unload() override { playing_ = false; }
    bool is_playing() override { return playing_; }

  private:
    bool playing_ = false;
};

class RecordingMusic : public MusicPort {
  public:
    RecordingMusic() : interpreter_(player_) {}
    uint32_t send_command(std::string_view command, std::string* return_text,
                          int32_t return_length) override {
        sent.emplace_back(command);
        return interpreter_.send_command(command, return_text, return_length);
    }
    std::vector<std::string> sent;

  private:
    SilentMidiPlayer player_;
    MusicInterpreter interpreter_;
};

// Draws no text; reports a line height from the point size.
class NullText : public TextPort {
  public:
    int32_t draw_text(FrameBuffer&, double, double, std::string_view,
                      const TextStyle& style) override {
        return line_height(style);
    }
    int32_t line_height(const TextStyle& style) override;
};

class HeadlessWindow : public WindowPort {
  public:
    void set_caption(std::string_view caption) override { caption_ = caption; }
    std::string caption() const override { return caption_; }
    void refresh(const FrameBuffer&) override {}
    bool pump_events() override { return true; }
    // The next tick finds the focus lost (a recording of the window says so).
    void lose_focus() { focus_lost_ = true; }
    bool take_focus_lost() override {
        taken_ = std::exchange(focus_lost_, false);
        return taken_;
    }
    // Whether the last tick found the focus lost.
    bool focus_was_lost() const { return taken_; }

  private:
    std::string caption_;
    bool focus_lost_ = false;
    bool taken_ = false;
};

class HeadlessFiles : public FilesPort {
  public:
    HeadlessFiles(std::string folder, std::optional<std::string> dialog_answer)
        : folder_(std::move(folder)), dialog_answer_(std::move(dialog_answer)) {}
    std::string program_folder() override { return folder_; }
    std::optional<std::string> open_file_dialog(std::string_view) override {
        return dialog_answer_;
    }
    void show_message(std::string_view title, std::string_view text) override;

  private:
    std::string folder_;
    std::optional<std::string> dialog_answer_;
};

}  // namespace vorne
