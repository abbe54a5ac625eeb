#include "game/shell/headless.h"

#include <csignal>
#include <iostream>

#include "game/render/png_encode.h"
#include "game/screens/screens.h"
#include "game/shell/dump.h"
#include "game/shell/game.h"
#include "game/shell/headless_ports.h"
#include "game/shell/inputs.h"
#include "game/shell/output_file.h"
#include "game/shell/recording.h"
#include "game/shell/replay.h"
#include "game/shell/trace.h"

namespace vorne {
namespace {

// While recording, an ending signal (SIGTERM, SIGINT) ends the run after its
// tick, so that the recording is complete; the signal is raised again then.
volatile std::sig_atomic_t ending_signal = 0;
extern "C" void note_ending_signal(int signal) {
    ending_signal = signal;
}

}  // namespace

void report_missing_sheets(const std::vector<std::string>& problems) {
    if (problems.empty()) return;
    std::cerr << "vorne1.0: pictures missing, drawn empty: " << problems.front();
    if (problems.size() > 1) std::cerr << " (and " << problems.size() - 1 << " more)";
    std::cerr << '\n';
}

int run_headless(const Options& options, const std::string& program_folder,
                 const HeadlessServices& services) {
    std::vector<InputStep> steps;
    if (!options.inputs.empty()) {
        std::string error;
        auto read = read_inputs(options.inputs, error);
        if (!read) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
        steps = std::move(*read);
    }

    // Every output is known to be writable before the trace is emptied.
    if (int status = check_tick_files(options); status != 0) return status;
    OutputFile trace;
    if (!options.trace.empty()) {
        std::string error;
        if (!trace.open(options.trace, error)) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
    }

    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText null_text;
    TextPort* text = services.text ? services.text : &null_text;
    HeadlessWindow window;
    HeadlessFiles headless_files(program_folder, options.dialog);
    TappedFiles files(headless_files);
    Game game(Ports{clock, input, sound, music, *text, window, files}, program_folder);
    game.map_path = options.map;
    if (services.load_image)
        report_missing_sheets(load_sheets(game.sheets, program_folder, services.load_image));
    window.set_caption(initial_caption);

    Recorder recorder;
    if (!options.record.empty()) {
        std::string error;
        std::optional<std::string> header =
            recording_header(options.map.empty() ? std::nullopt : std::optional(options.map),
                             options.stage, game.default_stage_path(), error);
        if (!header || !recorder.open(options.record, *header, error)) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
        files.on_answer = [&](const std::optional<std::string>& answer) {
            recorder.note(dialog_note(answer));
        };
        std::signal(SIGTERM, note_ending_signal);
        std::signal(SIGINT, note_ending_signal);
    }

    start_game(game);
    if (options.stage) start_at_stage(game, *options.stage);

    // The first failure is the one reported; the trace is closed whatever
    // happened, so that what was written of it is kept.
    std::string failure;
    size_t step_index = 0;
    int64_t step_used = 0;
    int64_t tick = 0;
    while (!options.ticks || tick < *options.ticks) {
        ++tick;
        if (step_index < steps.size()) {
            const InputStep& s = steps[step_index];
            input.set(s.stick_x, s.stick_y, s.buttons & ~input_focus_lost);
            if (s.buttons & input_focus_lost) window.lose_focus();
            if (++step_used >= s.count) {
                ++step_index;
                step_used = 0;
            }
        } else {
            input.set(0, 0, 0);
        }

        service_timers(game);
        run_tick(game);
        if (recorder.is_open())
            recorder.tick(game.world.stick_x, game.world.stick_y,
                          game.world.buttons | (window.focus_was_lost() ? input_focus_lost : 0));

        if (trace.is_open())
            trace.write(trace_line(tick, game, sound.played, music.sent, window.caption()) + "\n",
                        failure);
        sound.played.clear();
        music.sent.clear();

        for (const TickFile& d : options.dumps) {
            if (failure.empty() && d.tick == tick)
                write_text_file(d.path, dump_world(game.world) + "\n", failure);
        }
        for (const TickFile& s : options.screenshots) {
            if (failure.empty() && s.tick == tick)
                write_png(s.path, game.frame.width(), game.frame.height(), game.frame.pixels(),
                          &failure);
        }
        if (!failure.empty() || game.quit || ending_signal) break;
    }

    std::string error;
    if (recorder.is_open()) {
        const std::string how = game.quit         ? "quit with Esc"
                                : ending_signal   ? "ended by a signal"
                                : failure.empty() ? "the --ticks asked for"
                                                  : "the run failed";
        if (!recorder.finish(how, error) && failure.empty()) failure = error;
    }
    if (ending_signal) {
        if (!failure.empty()) std::cerr << "vorne1.0: " << failure << '\n';
        std::signal(ending_signal, SIG_DFL);
        std::raise(ending_signal);
    }
    if (trace.is_open() && !trace.close(error) && failure.empty()) failure = error;
    if (failure.empty()) failure = first_unreached(options, tick);
    if (!failure.empty()) {
        std::cerr << "vorne1.0: " << failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace vorne
