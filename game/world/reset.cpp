#include "game/world/reset.h"

#include <algorithm>

namespace vorne {
namespace {

template <size_t N>
void clear_entries(std::array<Rect, N>& table, int32_t last) {
    for (int32_t i = 1; i <= last; ++i)
        table[i] = Rect{};
}

}  // namespace

void hairetu(World& world) {
    // Column by column from an empty column: each column's rows lie side by
    // side in memory, so this is one block copy per column.
    static const std::array<GridCell, grid_capacity + 1> empty_column{};
    for (int32_t column = 1; column <= grid_capacity; ++column) {
        std::copy(empty_column.begin() + 1, empty_column.end(),
                  world.stage_grid[column].begin() + 1);
    }
    world.player_rect = Rect{};
    clear_entries(world.wall_table, table_capacity);
    clear_entries(world.ladder_table, table_capacity);
    clear_entries(world.coin_table, table_capacity);
    clear_entries(world.key1_table, table_capacity);
    clear_entries(world.lock1_table, table_capacity);
    clear_entries(world.key2_table, table_capacity);
    clear_entries(world.lock2_table, table_capacity);
    // Entries 401..500 of the enemy tables are never cleared (never filled
    // either: a stage holds at most 400 enemies of a kind).
    clear_entries(world.enemy_g_table, enemy_state_capacity);
    clear_entries(world.enemy_h_table, enemy_state_capacity);
    clear_entries(world.enemy_i_table, enemy_state_capacity);
    clear_entries(world.enemy_j_table, enemy_state_capacity);
    world.door_rect = Rect{};
    world.power_item_rect = Rect{};
}

void reset_counters(World& world) {
    world.wall_count = 1;
    world.coin_count = 1;
    world.ladder_count = 1;
    world.enemy_g_count = 1;
    world.enemy_h_count = 1;
    world.enemy_i_count = 1;
    world.enemy_j_count = 1;
    world.key1_count = 1;
    world.lock1_count = 1;
    world.key2_count = 1;
    world.lock2_count = 1;
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
