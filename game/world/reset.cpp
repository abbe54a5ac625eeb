#include "game/world/reset.h"

#include <algorithm>

#include "game/world/object_tables.h"

namespace vorne {

void hairetu(World& world) {
    // Column by column from an empty column: each column's rows lie side by
    // side in memory, so this is one block copy per column.
    static const std::array<GridCell, grid_capacity + 1> empty_column{};
    for (int32_t column = 1; column <= grid_capacity; ++column) {
        std::copy(empty_column.begin() + 1, empty_column.end(),
                  world.stage_grid[column].begin() + 1);
    }
    world.player_rect = Rect{};
    // Entries 1..400 of every table: entries 401..500 of the enemy tables
    // are never cleared (never filled either: a stage holds at most 400
    // enemies of a kind).
    for (const ObjectTable& t : object_tables(world)) {
        for (int32_t i = 1; i <= t.capacity; ++i)
            t.rects[i] = Rect{};
    }
    world.door_rect = Rect{};
    world.power_item_rect = Rect{};
}

void reset_counters(World& world) {
    for (const ObjectTable& t : object_tables(world))
        t.count = 1;
}

void reset_game(World& world) {
    reset_counters(world);
    world.extra_life_step = 1;
    world.keys1_held = 0;
    world.game_state = state_title;
    world.stage_file_open = 0;
    world.power_taken = 0;
    world.player_shot_active = 0;
    world.stage_number = 1;
    world.score = 0;
    world.lives = 3;
    world.player_airborne = 0;
    world.ending_title_y = 200;
    world.ending_thanks_y = 200;
    hairetu(world);
}

}  // namespace vorne
