// The running game: the world, the window image and what draws on it, the
// open stage file and the ports. Screens and the tick work on it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "game/audio/music_timer.h"
#include "game/ports/ports.h"
#include "game/render/canvas.h"
#include "game/render/frame_buffer.h"
#include "game/render/sheets.h"
#include "game/world/world.h"
#include "stagefile/reader.h"

namespace vorne {

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
    // The title acts on buttons 1 and 2 only once both were seen released on
    // it: a button still held from a game over, the ending, a refused file or
    // a file dialog does not act again. Before the first tick nothing is held.
    bool title_armed = true;
    bool paused = false;      // play is paused (P, a gamepad's west button, focus lost)
    bool pause_held = false;  // the pause button was down on the previous tick

    // The stage file that button 1 opens on the title.
    std::string default_stage_path() const;

    // The frame, the sheets, the text output and the window's face.
    Canvas canvas() { return {frame, sheets, ports.text, window_face}; }
};

// print_text on the game's canvas.
inline double print_text(Game& game, double x, double y, std::string_view text,
                         const TextStyle& style) {
    Canvas canvas = game.canvas();
    return print_text(canvas, x, y, text, style);
}

}  // namespace vorne
