// The screens: title, stage introduction, game over, end of play, ending.
#pragma once

#include <cstdint>

namespace vorne {

struct Game;

void show_title(Game& game);
void show_stage_intro(Game& game);
void show_game_over(Game& game);
// How play ended: a life lost, or the door entered.
enum class PlayEnd { miss, stage_clear };
void end_play(Game& game, PlayEnd how);
void show_ending(Game& game);

}  // namespace vorne
