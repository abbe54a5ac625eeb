// Scrolling and camera placement. There is no camera offset: to scroll, the
// game moves the coordinates of the player or of every world object.
#pragma once

#include <cstdint>

#include "game/world/world.h"

namespace vorne {

// Modes of shift_positions.
enum ShiftMode : int32_t {
    shift_all_x = 1,     // the player and every world object horizontally
    shift_all_y = 2,     // the player, every world object and the shots in flight vertically
    shift_player_x = 3,  // the player horizontally
    shift_player_y = 4,  // the player vertically
    shift_world_x = 5,   // every world object horizontally (not the player, not the shots)
    shift_world_y = 6,   // every world object and the shots in flight vertically (not the player)
};

// Moves positions by delta pixels (positive = right or down). Every table is
// walked from index 1 to its counter inclusive (never past its capacity), so
// the slot just past the last entry of a table whose counter stays one above
// moves too. Shots in flight follow vertical moves only. Each moved right and
// bottom is recomputed as left + 20 and top + 20. Modes outside 1..6 move
// nothing.
void shift_positions(World& world, int32_t mode, int32_t delta);

// Runs once after every build and rebuild: takes 1 from wall_count,
// ladder_count, coin_count and enemy_g_count (which from then on count their
// entries; the other seven counters stay one above), then moves the stage so
// that the player starts in the middle of the view, or so that the stage's
// edge lies on the view's edge when the player starts near it. Entry
// row_length of wall_table is taken as the stage's right edge, entry 1 as its
// top-left and entry wall_count as its bottom-right corner; indices outside
// the table read entry 0 (zeros) or the last entry.
void place_camera(World& world);

}  // namespace vorne
