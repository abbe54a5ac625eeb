// vorne1.0 in the browser: the title, the stages and the ending on the page's
// canvas, with the same tick as the desktop. Esc ends the game; the page then
// offers to start again.
#include <emscripten.h>

#include <iostream>
#include <memory>
#include <string>

#include "game/audio/audio.h"
#include "game/input/input.h"
#include "game/platform/web/image_file.h"
#include "game/platform/web/web_ports.h"
#include "game/platform/web/web_text.h"
#include "game/screens/screens.h"
#include "game/shell/dump.h"
#include "game/shell/game.h"
#include "game/shell/headless.h"

using namespace vorne;

namespace {

// Where the page packs the game's files.
constexpr const char* game_folder = "/game";

// The running game, for the page's test hook.
Game* running = nullptr;
int64_t ticks_run = 0;

// One game, from the title until Esc.
void play_once(TextPort& text, const std::string& map_path) {
    WebClock clock;
    WebInput input;
    WebSound sound(game_folder);
    WebMidiPlayer midi;
    MusicInterpreter music(midi);
    WebWindow window(input);
    WebFiles files(game_folder);
    Game game(Ports{clock, input, sound, music, text, window, files}, game_folder);
    game.map_path = map_path;
    report_missing_sheets(load_sheets(game.sheets, game_folder, load_image_file));
    window.set_caption(initial_caption);
    running = &game;
    start_game(game);
    bool preloaded = false;
    for (;;) {
        if (input.take_devices_changed()) devices_changed(game.world, input);
        service_timers(game);
        run_tick(game);
        ++ticks_run;
        if (game.quit) break;
        if (!preloaded) {
            // Once the first frame is up, the pieces are fetched and decoded.
            for (int32_t n = music_title; n <= music_ending; ++n)
                midi.preload(std::string(game_folder) + "/sound/" + music_file(n));
            preloaded = true;
        }
    }
    running = nullptr;
}

}  // namespace

// The page's test hook (?test=1): the world as the headless runner dumps it.
extern "C" EMSCRIPTEN_KEEPALIVE const char* vorne_test_state() {
    static std::string text;
    text = running ? dump_world(running->world) : "null";
    return text.c_str();
}

extern "C" EMSCRIPTEN_KEEPALIVE double vorne_test_ticks() {
    return static_cast<double>(ticks_run);
}

int main() {
    std::unique_ptr<TextPort> text = make_web_text(std::string(game_folder) + "/text");
    std::string problem;
    const std::string map_path = page_map_path(problem);
    for (;;) {
        if (!problem.empty()) {
            WebFiles files(game_folder);
            files.show_message("VORNE", problem);
            problem.clear();
        }
        play_once(*text, map_path);
        wait_for_restart();
    }
}
