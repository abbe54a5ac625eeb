// The tick of the game and its start-up and shut-down steps.
#pragma once

#include <cstdint>

#include "game/ports/ports.h"
#include "game/session/game.h"
#include "game/world/world.h"

namespace vorne {

inline constexpr int32_t frame_ms = 40;
inline constexpr const char* initial_caption = "VORNE  ver 1.0";

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

// The frame of play and the caption with the score and the lives (kept as it
// was on the tick the life ends).
void show_play_frame(Game& game);

// Pauses or resumes play: the music and its timer hold, and the frozen frame
// shows "PAUSE" until play goes on.
void set_paused(Game& game, bool paused);

// The band with "PAUSE" over the frame.
void draw_pause_banner(Game& game);

// True (and the program is to end at once) when button 3 is held.
bool check_quit(Game& game);

// Waits until ms milliseconds have passed since the previous release.
void pace_frame(Game& game, int32_t ms);

// What runs between ticks: the music timer.
void service_timers(Game& game);

}  // namespace vorne
