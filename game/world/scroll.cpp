#include "game/world/scroll.h"

#include <algorithm>
#include <span>

#include "game/world/object_tables.h"

namespace vorne {
namespace {

void shift_table_x(std::span<Rect> table, int32_t count, int32_t delta) {
    const int32_t last = loop_end(count, static_cast<int32_t>(table.size()) - 1);
    for (int32_t i = 1; i <= last; ++i) {
        table[i].left += delta;
        table[i].right = table[i].left + cell_size;
    }
}

void shift_table_y(std::span<Rect> table, int32_t count, int32_t delta) {
    const int32_t last = loop_end(count, static_cast<int32_t>(table.size()) - 1);
    for (int32_t i = 1; i <= last; ++i) {
        table[i].top += delta;
        table[i].bottom = table[i].top + cell_size;
    }
}

void shift_x(Rect& rect, int32_t delta) {
    rect.left += delta;
    rect.right = rect.left + cell_size;
}

void shift_y(Rect& rect, int32_t delta) {
    rect.top += delta;
    rect.bottom = rect.top + cell_size;
}

void shift_world_horizontally(World& w, int32_t delta) {
    for (const ObjectTable& t : object_tables(w))
        shift_table_x(t.rects, t.count, delta);
    shift_x(w.door_rect, delta);
    shift_x(w.power_item_rect, delta);
}

void shift_world_vertically(World& w, int32_t delta) {
    for (const ObjectTable& t : object_tables(w))
        shift_table_y(t.rects, t.count, delta);
    if (w.player_shot_active == 1) shift_y(w.player_shot_rect, delta);
    // The shot of a kind-i enemy shares that enemy's index.
    const int32_t last_shot = loop_end(w.enemy_i_count, enemy_shot_capacity);
    for (int32_t i = 1; i <= last_shot; ++i) {
        if (w.enemy_i_state[i].enemy_shot_active == 1) shift_y(w.enemy_shot_table[i], delta);
    }
    shift_y(w.door_rect, delta);
    shift_y(w.power_item_rect, delta);
}

}  // namespace

void shift_positions(World& world, int32_t mode, int32_t delta) {
    if (mode == shift_player_x || mode == shift_all_x) shift_x(world.player_rect, delta);
    if (mode == shift_world_x || mode == shift_all_x) shift_world_horizontally(world, delta);
    if (mode == shift_player_y || mode == shift_all_y) shift_y(world.player_rect, delta);
    if (mode == shift_world_y || mode == shift_all_y) shift_world_vertically(world, delta);
}

void place_camera(World& world) {
    --world.wall_count;
    --world.ladder_count;
    --world.coin_count;
    --world.enemy_g_count;

    constexpr int32_t half = view_size / 2;
    // Horizontal: both distances are measured from the player's right edge.
    const int32_t dist_right = wall_at(world, world.row_length).left - world.player_rect.right;
    const int32_t dist_left = world.player_rect.right - wall_at(world, 1).left;
    if (dist_left > half && dist_right >= half) {
        shift_positions(world, shift_all_x, scroll_line - world.player_rect.left);
    } else if (dist_left >= half && dist_right < half) {
        shift_positions(world, shift_all_x, scroll_line - world.player_rect.left);
        shift_positions(world, shift_all_x, view_size - wall_at(world, world.wall_count).right);
    } else if (dist_right >= half && dist_left <= half) {
        shift_positions(world, shift_all_x, scroll_line);
        shift_positions(world, shift_all_x, -wall_at(world, 1).left);
    }

    // Vertical: unlike the horizontal test, centring needs only 100 or more.
    const int32_t dist_up = world.player_rect.top - wall_at(world, 1).top;
    const int32_t dist_down = wall_at(world, world.wall_count).top - world.player_rect.bottom;
    if (dist_down >= half && dist_up >= half) {
        shift_positions(world, shift_all_y, scroll_line - world.player_rect.top);
    } else if (dist_down >= half && dist_up < half) {
        shift_positions(world, shift_all_y, scroll_line);
        shift_positions(world, shift_all_y, -wall_at(world, 1).top);
    } else if (dist_up >= half && dist_down < half) {
        shift_positions(world, shift_all_y, scroll_line);
        shift_positions(world, shift_all_y, view_size - wall_at(world, world.wall_count).bottom);
    }
}

}  // namespace vorne
