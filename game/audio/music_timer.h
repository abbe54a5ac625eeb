// The music timer: a period in milliseconds (0 = stopped) and the deadline of
// its next firing, checked between ticks.
#pragma once

#include <cstdint>

namespace vorne {

class MusicTimer {
  public:
    int32_t period() const { return period_; }

    // Assigning the period it already has does not restart the countdown.
    void set_period(int32_t period_ms, uint32_t now_ms) {
        if (period_ms == period_) return;
        period_ = period_ms;
        deadline_ = now_ms + static_cast<uint32_t>(period_ms > 0 ? period_ms : 0);
    }

    // True when the timer runs and its deadline has come; the caller then runs
    // the handler and calls fired().
    bool due(uint32_t now_ms) const {
        return period_ > 0 && !held_ && static_cast<int32_t>(now_ms - deadline_) >= 0;
    }

    void fired(uint32_t now_ms) { deadline_ = now_ms + static_cast<uint32_t>(period_); }

    // Holds the countdown while the game is paused, and goes on from where it
    // was when it resumes.
    void hold(uint32_t now_ms) {
        if (held_) return;
        held_ = true;
        left_ = deadline_ - now_ms;
    }
    void resume(uint32_t now_ms) {
        if (!held_) return;
        held_ = false;
        deadline_ = now_ms + left_;
    }
    bool held() const { return held_; }

  private:
    int32_t period_ = 0;
    uint32_t deadline_ = 0;
    bool held_ = false;
    uint32_t left_ = 0;
};

}  // namespace vorne
