// The screens: title, stage introduction, game over, end of play, ending.
#pragma once

#include <cstdint>

namespace vorne {

struct Game;

void show_title(Game& game);
void show_stage_intro(Game& game);
void show_game_over(Game& game);
// mode 1: a miss; mode 2: a stage clear.
void end_play(Game& game, int32_t mode);
void show_ending(Game& game);

}  // namespace vorne
