// Time per play tick of the play rules (the player step, both shot steps, the
// four enemy steps and the interaction step; not the frame drawing), on a
// stage filled to every capacity a stage has and on a small ordinary stage.
// Each figure is also given as a share of the 40 ms tick.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/player/player.h"
#include "game/shell/game.h"
#include "game/world/world.h"
#include "tests/bench/bench_stages.h"
#include "tests/support/stage_rows.h"

namespace vorne {
namespace {

class SilentSound : public SoundPort {
  public:
    void play_effect(int32_t) override {}
};

std::unique_ptr<World> build(const std::vector<std::string>& rows) {
    auto [world, error] = test::build_first_stage(rows, "bench.dat");
    if (error) {
        std::fprintf(stderr, "%s\n", error->message().c_str());
        std::abort();
    }
    // The player walks right with the power item, firing as it goes.
    world->power_taken = 1;
    world->stick_x = 1;
    world->buttons = 1;
    return world;
}

void play_tick(World& w, SoundPort& sound) {
    run_play_rules(w, sound);
}

int shots_in_flight(const World& w) {
    int n = 0;
    for (int32_t k = 1; k <= loop_end(w.enemy_i_count, enemy_shot_capacity); ++k) {
        n += w.enemy_i_state[k].enemy_shot_active;
    }
    return n;
}

// Mean time per tick of the last run of each stage, for the summary.
struct TickFigure {
    const char* stage;
    double seconds = 0;
};
std::array<TickFigure, 2> tick_figures{{{"full stage"}, {"small stage"}}};

// Runs ticks from a warmed-up copy of the stage (every kind-i enemy has fired
// by then); every 200 ticks the copy is restored, untimed, so that the figures
// stay those of a stage in full play.
void run_ticks(benchmark::State& state, const std::vector<std::string>& rows, TickFigure& figure) {
    const auto start = build(rows);
    SilentSound sound;
    for (int t = 0; t < 3; ++t)
        play_tick(*start, sound);
    auto world = make_world();
    *world = *start;
    double seconds = 0;
    int64_t ticks = 0;
    int64_t shots = 0;
    for (auto _ : state) {
        if (ticks % 200 == 0) *world = *start;
        const auto t0 = std::chrono::steady_clock::now();
        play_tick(*world, sound);
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(s);
        seconds += s;
        ++ticks;
        shots += shots_in_flight(*world);
    }
    figure.seconds = seconds / static_cast<double>(ticks);
    state.counters["share_of_40ms_tick_%"] = figure.seconds / 0.040 * 100;
    state.counters["enemy_shots_in_flight"] =
        static_cast<double>(shots) / static_cast<double>(ticks);
}

void BM_PlayTickFullStage(benchmark::State& state) {
    run_ticks(state, bench::full_stage(), tick_figures[0]);
}
void BM_PlayTickSmallStage(benchmark::State& state) {
    run_ticks(state, bench::small_stage(), tick_figures[1]);
}

// One step alone on the full stage, from the same warmed-up world.
template <class Step>
void run_step(benchmark::State& state, Step step) {
    const auto start = build(bench::full_stage());
    SilentSound sound;
    for (int t = 0; t < 3; ++t)
        play_tick(*start, sound);
    auto world = make_world();
    *world = *start;
    int64_t ticks = 0;
    for (auto _ : state) {
        if (ticks++ % 200 == 0) *world = *start;
        const auto t0 = std::chrono::steady_clock::now();
        step(*world, sound);
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
}

void BM_FullStepPlayer(benchmark::State& state) {
    run_step(state, [](World& w, SoundPort&) { step_player(w); });
}
void BM_FullStepShots(benchmark::State& state) {
    run_step(state, [](World& w, SoundPort& s) {
        step_player_shot(w, s);
        step_enemy_shots(w, s);
    });
}
void BM_FullStepEnemies(benchmark::State& state) {
    run_step(state, [](World& w, SoundPort&) {
        step_enemies(w, EnemyKind::g);
        step_enemies(w, EnemyKind::h);
        step_enemies(w, EnemyKind::i);
        step_enemies(w, EnemyKind::j);
    });
}
void BM_FullCheckContacts(benchmark::State& state) {
    run_step(state, [](World& w, SoundPort& s) { check_contacts(w, s); });
}

BENCHMARK(BM_PlayTickFullStage)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayTickSmallStage)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullStepPlayer)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullStepShots)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullStepEnemies)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullCheckContacts)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& figure : vorne::tick_figures) {
        if (figure.seconds == 0) continue;
        std::printf("play rules, %s: %.1f us per tick, %.3f %% of the 40 ms tick\n", figure.stage,
                    figure.seconds * 1e6, figure.seconds / 0.040 * 100);
    }
    return 0;
}
