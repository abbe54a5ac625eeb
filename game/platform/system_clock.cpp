#include "game/platform/system_clock.h"

#include <time.h>

#include <cerrno>
#include <cstdlib>

namespace vorne {

namespace {

uint64_t monotonic_ms(const timespec& ts) {
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

}  // namespace

SystemClock::SystemClock() {
    const char* path = std::getenv("VORNE_RELEASE_LOG");
    if (path && *path) release_log_ = std::fopen(path, "w");
    if (release_log_) std::setvbuf(release_log_, nullptr, _IOLBF, 0);
}

SystemClock::~SystemClock() {
    if (release_log_) std::fclose(release_log_);
}

uint32_t SystemClock::now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(monotonic_ms(ts));
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

void SystemClock::sleep_until_ms(uint32_t deadline) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t now = monotonic_ms(ts);
    int32_t ahead = static_cast<int32_t>(deadline - static_cast<uint32_t>(now));
    if (ahead > 0) {
        uint64_t wake = now + static_cast<uint64_t>(ahead);
        timespec at{};
        at.tv_sec = static_cast<time_t>(wake / 1000u);
        at.tv_nsec = static_cast<long>(wake % 1000u) * 1000000L;
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    if (release_log_) {
        clock_gettime(CLOCK_MONOTONIC, &ts);
        std::fprintf(release_log_, "%llu\n",
                     static_cast<unsigned long long>(ts.tv_sec) * 1000000ull +
                         static_cast<unsigned long long>(ts.tv_nsec) / 1000u);
    }
}

}  // namespace vorne
