#include <gtest/gtest.h>

#include "game/shell/dump.h"
#include "game/shell/game.h"
#include "game/shell/trace.h"
#include "tests/support/test_game.h"

namespace vorne {
namespace {

using testing::TestGame;

TEST(Tick, FirstTickIsNotDelayedAndLaterTicksAreReleased40msApart) {
    TestGame t;
    run_tick(t.game);
    EXPECT_TRUE(t.clock.sleeps.empty());
    EXPECT_EQ(t.game.world.frame_clock, 1000);

    // The next tick's work takes 10 ms: it waits out the other 30, sleeping
    // most of it and spinning only the end.
    t.clock.now += 10;
    run_tick(t.game);
    EXPECT_EQ(t.game.world.frame_clock, 1040);
    ASSERT_FALSE(t.clock.sleeps.empty());
    EXPECT_EQ(t.clock.sleeps.front(), 28u);
    for (size_t i = 1; i < t.clock.sleeps.size(); ++i)
        EXPECT_EQ(t.clock.sleeps[i], 0u);
}

TEST(Tick, LongTickIsFollowedAtOnceWithoutCatchingUp) {
    TestGame t;
    run_tick(t.game);
    t.clock.now += 55;  // a tick that overruns its 40 ms
    t.clock.sleeps.clear();
    run_tick(t.game);
    EXPECT_TRUE(t.clock.sleeps.empty());
    EXPECT_EQ(t.game.world.frame_clock, 1055);
    // The next one is measured from that late release.
    run_tick(t.game);
    EXPECT_EQ(t.game.world.frame_clock, 1095);
}

TEST(Tick, ReleaseRuleHoldsAcrossTheClockWrap) {
    TestGame t;
    t.clock.now = 0xFFFFFFF0u;
    run_tick(t.game);
    run_tick(t.game);
    EXPECT_EQ(static_cast<uint32_t>(t.game.world.frame_clock), 0xFFFFFFF0u + 40u);
}

TEST(Tick, EveryTickRefreshesAfterPacing) {
    TestGame t;
    for (int i = 0; i < 3; ++i)
        run_tick(t.game);
    EXPECT_EQ(t.window.refreshes, 3);
}

TEST(Tick, QuitButtonEndsAtOnceWithMusicStoppedAndFileClosed) {
    for (int32_t state : {0, 1, 3, 4, 6, 7, -1}) {
        TestGame t;
        t.game.world.game_state = state;
        run_tick(t.game);  // a normal tick first
        t.music.sent.clear();
        int refreshes = t.window.refreshes;
        int32_t released = t.game.world.frame_clock;

        t.input.set(0, 0, 4);
        run_tick(t.game);
        EXPECT_TRUE(t.game.quit) << "state " << state;
        ASSERT_GE(t.music.sent.size(), 2u);
        EXPECT_EQ(t.music.sent[t.music.sent.size() - 2], "stop midifile ");
        EXPECT_EQ(t.music.sent.back(), "close midifile");
        EXPECT_FALSE(t.game.stage_file.is_open());
        // Neither pacing nor refresh runs on the quit path.
        EXPECT_EQ(t.window.refreshes, refreshes);
        EXPECT_EQ(t.game.world.frame_clock, released);
    }
}

TEST(Tick, QuitClosesAnOpenStageFile) {
    TestGame t;
    std::string path = ::testing::TempDir() + "quit_stage.dat";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("1\r\naaa\r\n", f);
    std::fclose(f);
    ASSERT_TRUE(t.game.stage_file.open(path));
    t.input.set(0, 0, 4);
    run_tick(t.game);
    EXPECT_FALSE(t.game.stage_file.is_open());
}

TEST(Tick, OtherButtonsDoNotQuit) {
    TestGame t;
    t.input.set(0, 0, 1 | 2 | 8);
    run_tick(t.game);
    EXPECT_FALSE(t.game.quit);
}

TEST(Tick, MusicTimerPeriodFollowsTheState) {
    TestGame t;
    EXPECT_EQ(t.game.timer2.period(), 0);
    run_tick(t.game);  // title
    EXPECT_EQ(t.game.timer2.period(), 15000);
    t.game.world.game_state = state_play;
    run_tick(t.game);
    EXPECT_EQ(t.game.timer2.period(), 5000);
    // States other than play and title keep the last period.
    for (int32_t state : {3, 4, 6, 9}) {
        t.game.world.game_state = state;
        run_tick(t.game);
        EXPECT_EQ(t.game.timer2.period(), 5000);
    }
}

TEST(Tick, PauseHoldsPlayTheMusicAndItsTimerUntilPressedAgain) {
    TestGame t;
    World& w = t.game.world;
    w.game_state = state_play;
    run_tick(t.game);
    t.input.set(1, 0, button_pause);  // pressed, and the stick held right
    run_tick(t.game);
    ASSERT_TRUE(t.game.paused);
    EXPECT_EQ(t.music.sent, std::vector<std::string>{"pause midifile"});
    EXPECT_NE(trace_line(2, t.game, {}, {}, "").find("\"paused\":true"), std::string::npos);
    // The world but the pacing's clock reading.
    const auto state = [&w] {
        const int32_t clock = w.frame_clock;
        w.frame_clock = 0;
        std::string dump = dump_world(w);
        w.frame_clock = clock;
        return dump;
    };
    const std::string world = state();
    const FrameBuffer frame = t.game.frame;
    for (int i = 0; i < 400; ++i) {  // held: no toggle
        t.clock.now += 40;
        service_timers(t.game);
        run_tick(t.game);
    }
    EXPECT_TRUE(state() == world);
    EXPECT_TRUE(t.game.frame.pixels() == frame.pixels());
    EXPECT_EQ(t.music.sent.size(), 1u);  // not even the timer's status query
    t.input.set(1, 0, 0);
    run_tick(t.game);
    EXPECT_TRUE(t.game.paused);
    t.input.set(1, 0, button_pause);
    run_tick(t.game);
    EXPECT_FALSE(t.game.paused);
    EXPECT_EQ(t.music.sent.back(), "resume midifile");
    EXPECT_FALSE(state() == world);  // play went on this tick
    EXPECT_EQ(trace_line(3, t.game, {}, {}, "").find("paused"), std::string::npos);

    // Esc still quits while paused; outside play the pause button does nothing.
    t.input.set(0, 0, 0);
    run_tick(t.game);
    t.input.set(0, 0, button_pause);
    run_tick(t.game);
    t.input.set(0, 0, button_quit);
    run_tick(t.game);
    EXPECT_TRUE(t.game.quit);
    TestGame title;
    title.input.set(0, 0, button_pause);
    run_tick(title.game);
    EXPECT_FALSE(title.game.paused);
}

TEST(MusicTimer, AssigningTheSamePeriodDoesNotRestartTheCountdown) {
    MusicTimer timer;
    EXPECT_FALSE(timer.due(0));  // no period: never fires
    timer.set_period(5000, 0);
    timer.set_period(5000, 3000);
    EXPECT_FALSE(timer.due(4999));
    EXPECT_TRUE(timer.due(5000));
    timer.fired(5000);
    EXPECT_FALSE(timer.due(9999));
    EXPECT_TRUE(timer.due(10000));
    // A new period restarts it from now.
    timer.set_period(15000, 6000);
    EXPECT_FALSE(timer.due(20999));
    EXPECT_TRUE(timer.due(21000));
}

TEST(MusicTimer, TitleMusicIsCheckedEvery15Seconds) {
    TestGame t;
    // 25 ticks per second: the status query comes once per 375 ticks.
    int queries = 0;
    for (int i = 0; i < 800; ++i) {
        service_timers(t.game);
        run_tick(t.game);
    }
    for (const std::string& m : t.music.sent)
        queries += m == "status midifile mode";
    EXPECT_EQ(queries, 2);
}

}  // namespace
}  // namespace vorne
