// vorne1.0: the game window, or the headless runner with --headless.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "game/audio/audio.h"
#include "game/input/input.h"
#include "game/platform/platform.h"
#include "game/screens/screens.h"
#include "game/shell/commands.h"
#include "game/shell/game.h"
#include "game/shell/headless.h"
#include "game/shell/headless_ports.h"
#include "game/shell/options.h"
#include "game/shell/recording.h"
#include "game/shell/replay.h"
#include "game/shell/settings.h"
#include "game/world/stage_file.h"

using namespace vorne;

namespace {

// Where the window opens: the remembered place and scale, fitted to the
// display; a scale asked on the command line that does not fit is reduced,
// with one line on stderr.
WindowPlan plan_window(const Options& options, const Settings& remembered) {
    std::vector<Display> displays;
    for (const SdlDisplayArea& d : sdl_displays())
        displays.push_back({{d.bounds.x, d.bounds.y, d.bounds.w, d.bounds.h},
                            {d.usable.x, d.usable.y, d.usable.w, d.usable.h}});
    WindowPlan plan =
        plan_window(displays, remembered, options.scale_given ? options.scale : 0, options.scale);
    if (plan.reduced)
        std::cerr << "vorne1.0: --scale " << options.scale << " would make a "
                  << 200 * options.scale << " x " << 200 * options.scale
                  << " window, larger than 90 % of the " << plan.usable.w << " x " << plan.usable.h
                  << " usable on its display: using --scale " << plan.scale << " instead\n";
    return plan;
}

// What the next run starts from: fullscreen or not, and the window's place
// and whole-number scale as it was last shown in a window.
Settings settings_of(const SdlWindow& window) {
    ScreenArea area = window.windowed_area();
    Settings now;
    now.fullscreen = window.fullscreen();
    now.scale = std::clamp(std::min(area.w, area.h) / 200, 1, 16);
    now.x = area.x;
    now.y = area.y;
    return now;
}

// A recording to watch (--replay): its ticks and what its header says.
struct Watched {
    std::vector<InputStep> steps;
    RecordingHeader header;
};

// What the viewer sees of a replay, after the game's caption.
std::string replay_note(const ScaledClock& clock, bool paused, bool played_out) {
    if (played_out) return "[replay: the end, Esc quits]";
    return "[replay " + std::to_string(clock.speed()) + "x" + (paused ? ", paused" : "") + "]";
}

int run_window(const Options& options, const std::string& folder, const Watched* watched) {
    // A second copy ends silently before anything shows.
    SingleInstance instance(single_instance_lock_path());
    if (!instance.acquired()) return 0;

    // The recording is begun before the window opens, so that a file that
    // cannot be written is said at once.
    Recorder recorder;
    if (!options.record.empty()) {
        std::string error;
        const std::string played =
            options.map.empty() ? default_stage_file_path(folder) : options.map;
        std::optional<std::string> header =
            recording_header(options.map.empty() ? std::nullopt : std::optional(options.map),
                             options.stage, played, error);
        if (!header || !recorder.open(options.record, *header, error)) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
    }

    SdlSystem sdl;  // stopped once the window and the rest are gone
    if (!sdl.start()) {
        std::cerr << "vorne1.0: cannot open a window: " << sdl.error() << '\n';
        return 1;
    }
    const std::string settings_folder_path = settings_folder();
    ReadSettings remembered = read_settings_file(settings_folder_path);
    if (!remembered.warning.empty()) std::cerr << "vorne1.0: " << remembered.warning << '\n';
    WindowPlan plan = plan_window(options, remembered.settings);
    int status = 0;
    {
        SdlWindow window(plan.scale, initial_caption, options.renderer);
        if (!window.ok()) {
            std::cerr << "vorne1.0: cannot open a window: " << window.error() << '\n';
            status = 1;
        } else {
            if (plan.at)
                window.move_to(plan.at->x, plan.at->y);
            else
                window.centre_on(plan.display);
            if (remembered.settings.fullscreen.value_or(false)) window.set_fullscreen(true);
            SystemClock system_clock;
            ScaledClock clock(system_clock);  // 1x but while replaying
            SdlInput keys;
            ScriptedInput scripted;  // a replay's input, as the headless runner gives it
            InputPort& input = watched ? static_cast<InputPort&>(scripted) : keys;
            SdlSound sound(folder);
            SdlMidiPlayer midi;
            MusicInterpreter music(midi);
            SdlText text;
            SdlFiles sdl_files(folder, &window);
            TappedWindow tapped_window(window);
            TappedFiles files(sdl_files);
            std::optional<InputCursor> cursor;
            if (watched) {
                cursor.emplace(watched->steps);
                files.script_answers(watched->header.dialog_answers);
                tapped_window.set_note(replay_note(clock, false, false));
            }
            if (recorder.is_open())
                files.on_answer = [&](const std::optional<std::string>& answer) {
                    recorder.note(dialog_note(answer));
                };
            Game game(Ports{clock, input, sound, music, text, tapped_window, files}, folder);
            game.map_path = options.map;
            report_missing_sheets(load_sheets(game.sheets, folder, load_image_file));
            window.set_icon(game.sheets.pc, 0, 20, 0, 0);  // the hero, standing

            start_game(game);
            if (options.stage) start_at_stage(game, *options.stage);
            // Reading the pieces takes a moment: it is done once the first
            // tick has put the title (or play, with --stage) on the screen,
            // not on the tick that starts a piece.
            bool preloaded = !sound.device_open();
            ReplayControls controls;
            bool viewer_paused = false;
            std::string how = "the window closed";
            for (;;) {
                if (!window.pump_events()) {
                    stop_game(game);
                    break;
                }
                if (watched) {
                    // The viewer's keys; the game's own come from the recording.
                    const ReplayKeys asked = controls.poll(keys);
                    if (asked.quit) {
                        stop_game(game);
                        break;
                    }
                    if (asked.speed) clock.set_speed(*asked.speed);
                    const bool was_held = viewer_paused || cursor->played_out();
                    if (asked.pause_pressed) viewer_paused = !viewer_paused;
                    const bool held = viewer_paused || cursor->played_out();
                    tapped_window.set_note(replay_note(clock, viewer_paused, cursor->played_out()));
                    if (held != was_held) {
                        // The game's time and music stand still with the replay.
                        if (held)
                            clock.hold();
                        else
                            clock.resume();
                        if (!game.paused) (held ? pause_music : resume_music)(game.ports.music);
                        FrameBuffer shown = game.frame;
                        if (held && !game.paused) draw_pause_banner(game);
                        window.refresh(game.frame);
                        game.frame = shown;
                    }
                    if (held) {
                        system_clock.sleep_ms(20);
                        continue;
                    }
                    InputStep step;
                    cursor->next(step);
                    scripted.set(step.stick_x, step.stick_y, step.buttons & ~input_focus_lost);
                    tapped_window.script_focus_lost((step.buttons & input_focus_lost) != 0);
                } else if (window.take_devices_changed()) {
                    keys.reset_devices();
                    devices_changed(game.world, input);
                }
                service_timers(game);
                run_tick(game);
                // What the tick read, as the trace's input shows it.
                if (recorder.is_open())
                    recorder.tick(game.world.stick_x, game.world.stick_y,
                                  game.world.buttons |
                                      (tapped_window.last_focus_lost() ? input_focus_lost : 0));
                if (game.quit) {
                    how = "quit with Esc";
                    break;
                }
                if (!preloaded) {
                    for (int32_t n = music_title; n <= music_ending; ++n)
                        midi.preload(folder + "/sound/" + music_file(n));
                    preloaded = true;
                }
            }
            if (recorder.is_open()) {
                std::string error;
                if (!recorder.finish(how, error)) {
                    std::cerr << "vorne1.0: the recording is incomplete: " << error << '\n';
                    status = 1;
                }
            }
            std::string unsaved = write_settings_file(settings_folder_path, settings_of(window));
            if (!unsaved.empty()) std::cerr << "vorne1.0: " << unsaved << '\n';
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> read = read_command_line(argc, argv);
    if (!read) return 2;
    const Options& options = *read;
    if (std::optional<int> status = run_windowless_command(options, running_program_folder))
        return *status;

    // A recording to watch: its --map and --stage unless the command line
    // gives them.
    Options given = options;
    Watched watched;
    if (!options.replay.empty()) {
        std::string error;
        std::optional<std::string> text = read_inputs_text(options.replay, error);
        std::optional<std::vector<InputStep>> steps;
        if (text) steps = parse_inputs(*text, options.replay, error);
        if (!steps) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
        watched.steps = std::move(*steps);
        watched.header = parse_recording_header(*text);
        if (given.map.empty() && watched.header.map) {
            given.map = *watched.header.map;
            if (!given.stage) given.stage = watched.header.stage;
        }
    }
    const Options& options_now = given;
    std::string folder = running_program_folder();
    if (!options.replay.empty() && watched.header.file_hash) {
        // A recording plays true only on the file it was made on.
        const std::string played = given.map.empty() ? default_stage_file_path(folder) : given.map;
        const StageFileHashes now = hash_stage_file(played);
        if (now.error.empty() && (now.hash != watched.header.file_hash->hash ||
                                  now.bytes != watched.header.file_hash->bytes))
            std::cerr << "vorne1.0: " << played << " is not the file " << options.replay
                      << " was recorded on (its size or hash differs): the replay may go astray\n";
    }
    if (std::string missing = stage_past_the_last(options_now); !missing.empty()) {
        std::cerr << "vorne1.0: " << missing << '\n';
        return 2;
    }
    if (options.headless) {
        // Text and pictures need no display: no window, no devices.
        SdlText text;
        return run_headless(options, folder, HeadlessServices{&text, load_image_file});
    }
    return run_window(options_now, folder, options.replay.empty() ? nullptr : &watched);
}
