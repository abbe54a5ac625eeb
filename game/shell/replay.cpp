#include "game/shell/replay.h"

#include <iterator>

#include "game/input/input.h"

namespace vorne {

void TappedWindow::set_caption(std::string_view caption) {
    caption_ = caption;
    inner_.set_caption(note_.empty() ? caption_ : caption_ + "  " + note_);
}

void TappedWindow::set_note(const std::string& note) {
    if (note == note_) return;
    note_ = note;
    set_caption(std::string(caption_));
}

bool TappedWindow::take_focus_lost() {
    const bool real = inner_.take_focus_lost();
    last_lost_ = scripted_ ? scripted_lost_ : real;
    scripted_lost_ = false;
    return last_lost_;
}

std::optional<std::string> TappedFiles::open_file_dialog(std::string_view filter) {
    std::optional<std::string> answer;
    if (scripted_) {
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
    } else {
        answer = inner_.open_file_dialog(filter);
    }
    if (on_answer) on_answer(answer);
    return answer;
}

void ScaledClock::rebase() {
    scaled_base_ = now_ms();
    real_base_ = real_.now_ms();
}

uint32_t ScaledClock::now_ms() {
    if (held_) return scaled_base_;
    return scaled_base_ + (real_.now_ms() - real_base_) * speed_;
}

void ScaledClock::sleep_until_ms(uint32_t deadline) {
    if (held_) return;
    const int32_t ahead = static_cast<int32_t>(deadline - now_ms());
    if (ahead <= 0) return;
    // The real moment the scaled deadline comes, rounded up.
    real_.sleep_until_ms(real_.now_ms() + (static_cast<uint32_t>(ahead) + speed_ - 1) / speed_);
}

void ScaledClock::set_speed(uint32_t speed) {
    rebase();
    speed_ = speed > 0 ? speed : 1;
}

void ScaledClock::hold() {
    if (held_) return;
    rebase();
    held_ = true;
}

void ScaledClock::resume() {
    if (!held_) return;
    held_ = false;
    real_base_ = real_.now_ms();
}

bool InputCursor::next(InputStep& out) {
    if (index_ >= steps_.size()) {
        out = InputStep{};
        return false;
    }
    out = steps_[index_];
    out.count = 1;
    if (++used_ >= steps_[index_].count) {
        ++index_;
        used_ = 0;
    }
    return true;
}

ReplayKeys ReplayControls::poll(InputPort& keys) {
    static constexpr int32_t watched[] = {'1', '2', '3', '4', vk_p, vk_escape};
    ReplayKeys result;
    uint32_t held = 0;
    for (uint32_t i = 0; i < std::size(watched); ++i) {
        if (!keys.key_down(watched[i])) continue;
        held |= 1u << i;
        if (held_ & (1u << i)) continue;  // still down from before
        if (i < 4) result.speed = 1u << i;
        if (watched[i] == vk_p) result.pause_pressed = true;
        if (watched[i] == vk_escape) result.quit = true;
    }
    held_ = held;
    return result;
}

}  // namespace vorne
