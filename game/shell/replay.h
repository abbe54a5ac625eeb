// Recording a run in the window and watching a recording in one: wrappers of
// the window's ports that note what a tick took besides the keys (the focus
// lost, the file dialog's answers) or give it from the recording, a clock
// that runs 1, 2, 4 or 8 times as fast, and the viewer's keys.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game/ports/ports.h"
#include "game/shell/inputs.h"

namespace vorne {

// The window as the game sees it: everything passes through. Recording, it
// keeps whether the tick found the focus lost; replaying, the focus lost comes
// from the recording (the viewer's own window losing it changes nothing) and
// the caption carries a note about the replay.
class TappedWindow : public WindowPort {
  public:
    explicit TappedWindow(WindowPort& inner) : inner_(inner) {}
    void set_caption(std::string_view caption) override;
    std::string caption() const override { return caption_; }
    void refresh(const FrameBuffer& frame) override { inner_.refresh(frame); }
    void show() override { inner_.show(); }
    bool pump_events() override { return inner_.pump_events(); }
    bool take_focus_lost() override;

    // Replaying: the focus lost the next tick reads.
    void script_focus_lost(bool lost) {
        scripted_ = true;
        scripted_lost_ = lost;
    }
    // Whether the last tick found the focus lost.
    bool last_focus_lost() const { return last_lost_; }
    // Text shown after the game's caption (a replay's speed), or none.
    void set_note(const std::string& note);

  private:
    WindowPort& inner_;
    std::string caption_;
    std::string note_;
    bool scripted_ = false;
    bool scripted_lost_ = false;
    bool last_lost_ = false;
};

// The files as the game sees them. Recording, each answer of the file dialog
// is told to on_answer; replaying, the dialog answers from the recording (and
// is cancelled once its answers are used up) without showing anything.
class TappedFiles : public FilesPort {
  public:
    explicit TappedFiles(FilesPort& inner) : inner_(inner) {}
    std::string program_folder() override { return inner_.program_folder(); }
    std::optional<std::string> open_file_dialog(std::string_view filter) override;
    void show_message(std::string_view title, std::string_view text) override {
        inner_.show_message(title, text);
    }

    std::function<void(const std::optional<std::string>&)> on_answer;
    void script_answers(std::vector<std::optional<std::string>> answers) {
        scripted_ = true;
        answers_.assign(answers.begin(), answers.end());
    }

  private:
    FilesPort& inner_;
    bool scripted_ = false;
    std::deque<std::optional<std::string>> answers_;
};

// A clock that runs speed times as fast as the real one, and can stand still.
// The game's tick is unchanged: its 40 ms pass sooner.
class ScaledClock : public ClockPort {
  public:
    explicit ScaledClock(ClockPort& real) : real_(real), real_base_(real.now_ms()) {}
    uint32_t now_ms() override;
    void sleep_ms(uint32_t ms) override { real_.sleep_ms(ms / speed_); }
    void sleep_until_ms(uint32_t deadline) override;
    void set_speed(uint32_t speed);
    uint32_t speed() const { return speed_; }
    // Stands still until resumed (a paused replay).
    void hold();
    void resume();

  private:
    void rebase();
    ClockPort& real_;
    uint32_t real_base_;
    uint32_t scaled_base_ = 0;
    uint32_t speed_ = 1;
    bool held_ = false;
};

// The ticks of a recording, one at a time; 0 0 0 after the last.
class InputCursor {
  public:
    explicit InputCursor(std::vector<InputStep> steps) : steps_(std::move(steps)) {}
    // The next tick's input (its count is 1); false once the recording is
    // played out.
    bool next(InputStep& out);
    bool played_out() const { return index_ >= steps_.size(); }

  private:
    std::vector<InputStep> steps_;
    size_t index_ = 0;
    int64_t used_ = 0;
};

// The viewer's keys while replaying: 1..4 choose 1x, 2x, 4x, 8x; P pauses
// and goes on; Esc quits. Each acts when it goes down.
struct ReplayKeys {
    std::optional<uint32_t> speed;  // a speed chosen on this poll
    bool pause_pressed = false;
    bool quit = false;
};
class ReplayControls {
  public:
    ReplayKeys poll(InputPort& keys);

  private:
    uint32_t held_ = 0;  // bit per key, as of the last poll
};

}  // namespace vorne
