#include "game/shell/solve_run.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>

#include "game/screens/screens.h"
#include "game/shell/game.h"
#include "game/shell/headless_ports.h"
#include "game/shell/input_text.h"
#include "game/shell/output_file.h"
#include "game/shell/recording.h"
#include "game/shell/solver.h"

namespace vorne {
namespace {

// A game on the headless runner's ports, started at the stage as --stage
// starts it. Problems with the stage file are told on stderr as the runner
// tells them.
struct StartedGame {
    StartedGame(const std::string& map, int32_t stage, const std::string& folder)
        : files(folder, std::nullopt),
          game(Ports{clock, input, sound, music, text, window, files}, folder) {
        game.map_path = map;
        start_game(game);
        start_at_stage(game, stage);
    }
    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText text;
    HeadlessWindow window;
    HeadlessFiles files;
    Game game;
};

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

std::optional<int64_t> replay_clear_tick(const std::string& map, int32_t stage,
                                         const std::vector<InputStep>& steps,
                                         const std::string& program_folder) {
    auto started = std::make_unique<StartedGame>(map, stage, program_folder);
    Game& game = started->game;
    int64_t tick = 0;
    for (const InputStep& s : steps) {
        for (int64_t n = 0; n < s.count; ++n) {
            ++tick;
            started->input.set(s.stick_x, s.stick_y, s.buttons);
            service_timers(game);
            run_tick(game);
            started->sound.played.clear();
            started->music.sent.clear();
            if (game.world.game_state == state_stage_clear) return tick;
            if (game.quit || game.world.game_state != state_play) return std::nullopt;
        }
    }
    return std::nullopt;
}

int run_solve(const Options& options, const std::string& program_folder) {
    const auto started = std::chrono::steady_clock::now();
    const int32_t stage = options.stage.value_or(1);
    std::string error;
    if (!options.out.empty() && !can_write_later(options.out, error)) {
        std::cerr << "vorne1.0: " << error << '\n';
        return 2;
    }
    auto start = std::make_unique<StartedGame>(options.solve, stage, program_folder);
    if (start->game.world.game_state != state_play) return 2;  // the reason is on stderr

    SolveControl control;
    control.budget_seconds = options.budget;
    const SolveResult found = solve_play(start->game.world, control);
    start.reset();

    auto elapsed = [&] {
        return seconds_text(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    };
    const std::string name = "stage " + std::to_string(stage);
    // Only an input the game itself clears the stage with counts, read back
    // from the very text that is written.
    std::optional<int64_t> cleared;
    std::string text;
    if (found.solved) {
        const int64_t ticks = static_cast<int64_t>(found.ticks.size());
        // The header of a recording of `--map FILE --stage N` (the stage file
        // named, with its size and hashes), then what made it.
        std::string header_error;
        std::optional<std::string> header =
            recording_header(options.solve, stage, options.solve, header_error);
        if (!header) {
            std::cerr << "vorne1.0: " << header_error << '\n';
            return 2;
        }
        text = *header + format_inputs({"solver", "ticks: " + std::to_string(ticks)}, found.ticks);
        std::string parse_error;
        auto steps =
            parse_inputs(text, options.out.empty() ? "solution" : options.out, parse_error);
        if (steps) cleared = replay_clear_tick(options.solve, stage, *steps, program_folder);
        if (cleared && *cleared != ticks) cleared.reset();
    }
    if (!cleared) {
        if (found.solved)
            std::cerr << "vorne1.0: the solver's input did not clear the stage when replayed\n";
        std::cout << name << ": no solution found within the budget (" << elapsed() << ")\n";
        return 1;
    }
    if (!options.out.empty() && !write_text_file(options.out, text, error)) {
        std::cerr << "vorne1.0: " << name << " was solved, but " << error << '\n';
        return 1;
    }
    std::cout << name << ": solved in " << *cleared << " ticks (" << elapsed() << ")\n";
    return 0;
}

}  // namespace vorne
