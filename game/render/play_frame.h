// Composition of one frame of play.
#pragma once

namespace vorne {

struct Game;

void draw_play_frame(Game& game);

}  // namespace vorne
