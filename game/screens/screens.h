// The screens: title, stage introduction, game over, end of play, ending.
#pragma once

#include <cstdint>

namespace vorne {

struct Game;

void show_title(Game& game);
// Right after start-up, instead of the title: opens the stage file of button
// 1 as the title does and begins play at once at stage `stage` (1 or more),
// without its introduction; later stages come as always. A file that is
// refused, or ends before that stage, is reported as on the title, and the
// title follows.
void start_at_stage(Game& game, int32_t stage);
void show_stage_intro(Game& game);
void show_game_over(Game& game);
// How play ended: a life lost, or the door entered.
enum class PlayEnd { miss, stage_clear };
void end_play(Game& game, PlayEnd how);
void show_ending(Game& game);

}  // namespace vorne
