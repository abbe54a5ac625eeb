// The game object: the world, the window image, the open stage file and the
// ports, with the tick and the start-up and shut-down steps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/render/frame_buffer.h"
#include "game/render/sheets.h"
#include "game/shell/music_timer.h"
#include "game/ports/ports.h"
#include "game/world/world.h"
#include "stagefile/reader.h"

namespace vorne {

inline constexpr int32_t frame_ms = 40;
inline constexpr const char* initial_caption = "VORNE  ver 1.0";

struct Game {
    Game(const Ports& ports_in, std::string program_folder_in);

    Ports ports;
    std::unique_ptr<World> world_storage;
    World& world;
    FrameBuffer frame;
    Sheets sheets;
    MusicTimer timer2;
    stagefile::Reader stage_file;
    std::string program_folder;  // without a trailing slash
    std::string map_path;        // the stage file of button 1; empty: map.dat beside the program
    Face window_face = Face::mincho;  // the window's current text face
    bool released_once = false;       // pacing: the first tick is not delayed
    bool quit = false;                // the quit button ended the program

    // The stage file that button 1 opens on the title.
    std::string default_stage_path() const;
};

// Prints text at the pen position (x, y) in the given style and makes that
// face the window's current one; returns the pen's y for the next line.
double print_text(Game& game, double x, double y, std::string_view text, const TextStyle& style);

// Start-up after the single-copy test: key codes, joystick, audio, full reset,
// title music.
void start_game(Game& game);

// Shut-down when the window is closed.
void stop_game(Game& game);

// One tick: input, the step of game_state, the quit check, pacing, refresh.
// Returns at once, leaving game.quit set, when the quit button ends the program.
void run_tick(Game& game);

// The fixed sequence of play (state 0): the rules, then the frame.
void play_step(Game& game);

// The rules of a play tick without the frame: the player, both kinds of shot,
// the four enemy kinds and the interactions, in this order.
void run_play_rules(World& world, SoundPort& sound);

// True (and the program is to end at once) when button 3 is held.
bool check_quit(Game& game);

// Waits until ms milliseconds have passed since the previous release.
void pace_frame(Game& game, int32_t ms);

// What runs between ticks: the music timer.
void service_timers(Game& game);

}  // namespace vorne
