// The clock port on the system's monotonic clock.
#pragma once

#include <cstdint>
#include <cstdio>

#include "game/ports/ports.h"

namespace vorne {

// A millisecond tick count of the monotonic clock, wrapping at 2^32.
// With VORNE_RELEASE_LOG=FILE set, each return of sleep_until_ms (a tick's
// release) writes the monotonic time in microseconds to FILE, one a line.
class SystemClock : public ClockPort {
  public:
    SystemClock();
    ~SystemClock() override;
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;
    uint32_t now_ms() override;
    // 0 is a spin step: a short pause of a fraction of a millisecond.
    void sleep_ms(uint32_t ms) override;
    // One sleep to the start of the deadline's millisecond.
    void sleep_until_ms(uint32_t deadline) override;

  private:
    std::FILE* release_log_ = nullptr;
};

}  // namespace vorne
