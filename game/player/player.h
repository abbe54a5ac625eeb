// The player step: falling, walking and climbing against the stage.
#pragma once

#include "game/world/world.h"

namespace vorne {

void step_player(World& world);

}  // namespace vorne
