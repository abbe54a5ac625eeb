// The browser's pacing: ticks released on display frames keep 25 a second,
// booked 40 ms apart, on any display rate; a page held up loses its ticks
// rather than catching up.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/platform/web/frame_clock.h"

namespace vorne {
namespace {

struct Paced {
    int ticks = 0;
    std::vector<uint32_t> booked;  // each tick's reading after its wait
    bool monotonic = true;
};

// Plays `seconds` of ticks against frames every `frame` ms; the frame at
// `stall_at` comes `stall` ms late.
Paced play(double frame, double seconds, double stall_at = -1, double stall = 0) {
    FrameClock clock;
    Paced run;
    double time = 0;
    uint32_t last_read = 0;
    auto read = [&] {
        const uint32_t value = clock.read(static_cast<uint32_t>(time));
        if (value < last_read) run.monotonic = false;
        last_read = value;
        return value;
    };
    bool released = false;
    uint32_t frame_clock = 0;
    while (time < seconds * 1000) {
        if (released) {
            const uint32_t deadline = frame_clock + 40;
            if (static_cast<int32_t>(deadline - read()) > 0) {
                for (;;) {
                    double next = (std::floor(time / frame + 1e-6) + 1) * frame;
                    if (stall_at >= 0 && next >= stall_at && time < stall_at) next += stall;
                    time = next;
                    if (clock.frame_passed(deadline, static_cast<uint32_t>(time), frame)) break;
                }
            }
        }
        frame_clock = read();
        released = true;
        run.booked.push_back(frame_clock);
        ++run.ticks;
        time += 1;  // the tick's own work
    }
    return run;
}

TEST(WebFrameClock, KeepsTwentyFiveTicksASecondOnEveryDisplayRate) {
    for (double hz : {30.0, 50.0, 60.0, 75.0, 120.0, 144.0, 240.0}) {
        SCOPED_TRACE(hz);
        const Paced run = play(1000 / hz, 20);
        EXPECT_NEAR(run.ticks, 500, 2);
        EXPECT_TRUE(run.monotonic);
        // Booked exactly 40 ms apart: no drift.
        for (size_t i = 1; i < run.booked.size(); ++i)
            ASSERT_EQ(run.booked[i] - run.booked[i - 1], 40u) << "tick " << i;
    }
}

TEST(WebFrameClock, APageHeldUpLosesItsTicksWithoutCatchingUp) {
    const Paced run = play(1000.0 / 60, 20, 10000, 300);
    EXPECT_TRUE(run.monotonic);
    EXPECT_NEAR(run.ticks, 500 - 300 / 40, 2);
    int long_gaps = 0;
    for (size_t i = 1; i < run.booked.size(); ++i) {
        const uint32_t gap = run.booked[i] - run.booked[i - 1];
        EXPECT_GE(gap, 40u);
        if (gap > 40) ++long_gaps;
    }
    EXPECT_EQ(long_gaps, 1);
}

}  // namespace
}  // namespace vorne
