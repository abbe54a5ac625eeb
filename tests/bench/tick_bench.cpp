// The whole play tick, frame included (the real sheets and the real text
// output), on the stage that fills every table and on a small one. Prints
// each as a share of the 40 ms tick. Run a Release build:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target tick_bench && build/bench/tests/tick_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "game/platform/sdl_text.h"
#include "game/render/sheets.h"
#include "game/shell/game.h"
#include "game/shell/headless_ports.h"
#include "tests/bench/bench_stages.h"
#include "tests/support/stage_rows.h"

namespace vorne {
namespace {

struct Figure {
    const char* stage;
    double seconds = 0;
    double p99 = 0;
    double worst = 0;
};
Figure figures[] = {{"full stage"}, {"small stage"}};

void run(benchmark::State& state, const std::vector<std::string>& rows, Figure& figure) {
    auto [start, error] = test::build_first_stage(rows, "bench.dat");
    if (error) {
        std::fprintf(stderr, "%s\n", error->message().c_str());
        std::abort();
    }
    // The player walks right with the power item, firing as it goes.
    start->power_taken = 1;
    start->stick_x = 1;
    start->buttons = 1;

    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    SdlText text;
    HeadlessWindow window;
    HeadlessFiles files(VORNE_BENCH_BIN_DIR, std::nullopt);
    Game game(Ports{clock, input, sound, music, text, window, files}, VORNE_BENCH_BIN_DIR);
    load_sheets(game.sheets, VORNE_BENCH_BIN_DIR, load_image_file);
    for (int t = 0; t < 3; ++t) {
        game.world = *start;
        play_step(game);
    }
    *start = game.world;  // warmed up: every kind-i enemy has fired

    double total = 0, worst = 0;
    int64_t ticks = 0;
    std::vector<double> samples;
    for (auto _ : state) {
        if (ticks % 200 == 0) game.world = *start;
        const auto t0 = std::chrono::steady_clock::now();
        play_step(game);
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(s);
        total += s;
        worst = std::max(worst, s);
        samples.push_back(s);
        ++ticks;
        sound.played.clear();
    }
    figure.seconds = total / static_cast<double>(ticks);
    figure.worst = worst;
    std::sort(samples.begin(), samples.end());
    figure.p99 = samples[samples.size() * 99 / 100];
    state.counters["share_of_40ms_tick_%"] = figure.seconds / 0.040 * 100;
}

void BM_WholeTickFullStage(benchmark::State& state) {
    run(state, bench::full_stage(), figures[0]);
}
void BM_WholeTickSmallStage(benchmark::State& state) {
    run(state, bench::small_stage(), figures[1]);
}

BENCHMARK(BM_WholeTickFullStage)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeTickSmallStage)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& f : vorne::figures) {
        if (f.seconds == 0) continue;
        std::printf(
            "whole play tick with its frame, %s: %.1f us mean (%.3f %% of the 40 ms tick), "
            "%.1f us at the 99th percentile, %.1f us worst\n",
            f.stage, f.seconds * 1e6, f.seconds / 0.040 * 100, f.p99 * 1e6, f.worst * 1e6);
    }
    return 0;
}
