// Composition of one frame of play.
#pragma once

#include "game/render/canvas.h"
#include "game/world/world.h"

namespace vorne {

// Draws the world as play shows it: backdrop, stage objects, door, power item,
// shots, enemies, the player and the keys held. Returns false, having drawn
// neither the player nor the keys, on the tick the dying animation ends the
// life.
bool draw_play_frame(Canvas& canvas, const World& world);

}  // namespace vorne
