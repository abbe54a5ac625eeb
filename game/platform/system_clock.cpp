#include "game/platform/system_clock.h"

#include <time.h>

namespace vorne {

uint32_t SystemClock::now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SystemClock::sleep_ms(uint32_t ms) {
    timespec ts{};
    if (ms == 0) {
        ts.tv_nsec = 200 * 1000;  // a light spin step
    } else {
        ts.tv_sec = ms / 1000;
        ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    }
    nanosleep(&ts, nullptr);
}

}  // namespace vorne
