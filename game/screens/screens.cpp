#include "game/screens/screens.h"

#include "game/shell/game.h"

namespace vorne {

// Not built yet: each screen keeps the game where it is.
void show_title(Game& /*game*/) {}
void show_stage_intro(Game& /*game*/) {}
void show_game_over(Game& /*game*/) {}
void end_play(Game& /*game*/, int32_t /*mode*/) {}
void show_ending(Game& /*game*/) {}

}  // namespace vorne
