// The clock port on the system's monotonic clock.
#pragma once

#include <cstdint>

#include "game/ports/ports.h"

namespace vorne {

// A millisecond tick count of the monotonic clock, wrapping at 2^32.
class SystemClock : public ClockPort {
  public:
    uint32_t now_ms() override;
    // 0 is a spin step: a short pause of a fraction of a millisecond.
    void sleep_ms(uint32_t ms) override;
};

}  // namespace vorne
