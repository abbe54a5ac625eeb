// The player step: falling, walking and climbing against the stage.
#pragma once

#include "game/world/world.h"

namespace vorne {

// Runs once per play tick, before every other play step. Reads stick_x and
// stick_y (never the buttons), moves the player, or the whole world the other
// way while the player is past the middle of the view and the stage goes on
// beyond it, and sets player_pose and player_frame. Does nothing at all while
// the player is dying.
void step_player(World& world);

// The backdrop offsets go back to 0 when they reach 100 either way; runs after
// every other play step.
void wrap_backdrop(World& world);

// While the player is dying, one more frame of the animation; the frame after
// the last ends the life (game_state becomes state_miss). Runs last of all.
void step_dying(World& world);

}  // namespace vorne
