// vorne1.0: the game window, or the headless runner with --headless.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "game/audio/audio.h"
#include "game/input/input.h"
#include "game/platform/platform.h"
#include "game/proof/reach.h"
#include "game/screens/screens.h"
#include "game/shell/game.h"
#include "game/shell/headless.h"
#include "game/shell/options.h"
#include "game/shell/settings.h"
#include "stagefile/check.h"

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

int run_window(const Options& options, const std::string& folder) {
    // A second copy ends silently before anything shows.
    SingleInstance instance(single_instance_lock_path());
    if (!instance.acquired()) return 0;

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
            SystemClock clock;
            SdlInput input;
            SdlSound sound(folder);
            SdlMidiPlayer midi;
            MusicInterpreter music(midi);
            SdlText text;
            SdlFiles files(folder, &window);
            Game game(Ports{clock, input, sound, music, text, window, files}, folder);
            game.map_path = options.map;
            report_missing_sheets(load_sheets(game.sheets, folder, load_image_file));
            window.set_icon(game.sheets.pc, 0, 20, 0, 0);  // the hero, standing

            start_game(game);
            if (options.stage) start_at_stage(game, *options.stage);
            // Reading the pieces takes a moment: it is done once the first
            // tick has put the title (or play, with --stage) on the screen,
            // not on the tick that starts a piece.
            bool preloaded = !sound.device_open();
            for (;;) {
                if (!window.pump_events()) {
                    stop_game(game);
                    break;
                }
                if (window.take_devices_changed()) {
                    // A pad plugged in is taken up when none is in use; one
                    // pulled out leaves the keyboard (or the next device) in
                    // charge rather than a stick stuck at its last reading.
                    input.reset_devices();
                    JoyPosition probe;
                    if (game.world.joystick_id == -1 ||
                        input.joy_get_pos(static_cast<uint32_t>(game.world.joystick_id), probe) !=
                            0)
                        init_joystick(game.world, input, joystick_margin);
                }
                service_timers(game);
                run_tick(game);
                if (game.quit) break;
                if (!preloaded) {
                    for (int32_t n = music_title; n <= music_ending; ++n)
                        midi.preload(folder + "/sound/" + music_file(n));
                    preloaded = true;
                }
            }
            std::string unsaved = write_settings_file(settings_folder_path, settings_of(window));
            if (!unsaved.empty()) std::cerr << "vorne1.0: " << unsaved << '\n';
        }
    }
    return status;
}

// Lists what is wrong with a stage file, with what the player cannot reach:
// status 0 nothing, 1 something, 2 the file cannot be read.
int run_check(const std::string& path) {
    stagefile::CheckResult result = stagefile::check_stage_file(path);
    if (!result.readable) {
        std::cerr << "vorne1.0: " << result.error << '\n';
        return 2;
    }
    add_reach_findings(result, path);
    if (result.clean()) {
        std::cout << path << ": " << result.stages << (result.stages == 1 ? " stage" : " stages")
                  << ", nothing wrong\n";
        return 0;
    }
    std::cout << stagefile::format_findings(result, path);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ParsedOptions parsed = parse_options(args);
    if (!parsed.error.empty()) {
        std::cerr << "vorne1.0: " << parsed.error << '\n';
        return 2;
    }
    const Options& options = parsed.options;
    if (options.help) {
        std::cout << usage_text("vorne1.0");
        return 0;
    }
    if (options.version) {
        std::cout << version_text();
        return 0;
    }
    if (!options.check.empty()) return run_check(options.check);
    if (std::string missing = stage_past_the_last(options); !missing.empty()) {
        std::cerr << "vorne1.0: " << missing << '\n';
        return 2;
    }
    std::string folder = running_program_folder();
    if (options.headless) {
        // Text and pictures need no display: no window, no devices.
        SdlText text;
        return run_headless(options, folder, HeadlessServices{&text, load_image_file});
    }
    return run_window(options, folder);
}
