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

}  // namespace vorne
