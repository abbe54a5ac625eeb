// Bringing the world back to a clean start.
#pragma once

#include "game/world/world.h"

namespace vorne {

// Empties the stage: every cell of stage_grid (columns and rows 1..400) back
// to "z", entries 1..400 of every rectangle table, player_rect, door_rect and
// power_item_rect to zeros. Counters, state tables, shots and scalars are not
// touched (the caller sets the counters back to 1). Runs between stages only:
// it writes the whole grid.
void hairetu(World& world);

// Starts a new game: all eleven counters to 1, the game scalars to their start
// values (title state, stage 1, 3 lives, score 0, stage_file_open 0, ...), then
// hairetu. Leaves alone what a new game keeps: the item and enemy state tables,
// enemy_shot_table, player_shot_rect, keys2_held, door_open, player_pose,
// player_frame, the backdrop offsets, stage_rows, row_length, the input state
// and frame_clock. Neither closes nor opens the stage file.
void reset_game(World& world);

// The eleven table counters back to 1 (empty tables, next free index 1), as
// end of play does before every rebuild or next stage.
void reset_counters(World& world);

}  // namespace vorne
