#include "game/world/builder.h"

#include <algorithm>
#include <string>

#include "game/world/scroll.h"
#include "stagefile/blocks.h"
#include "stagefile/letters.h"

namespace vorne {
namespace {

using stagefile::Object;

constexpr int32_t capacity_of(Object object) {
    return stagefile::letter(object).capacity;
}

// The stage file's limits and the tables' capacities are one and the same.
static_assert(stagefile::max_rows == grid_capacity && stagefile::max_row_cells == grid_capacity);
static_assert(capacity_of(Object::wall) == table_capacity &&
              capacity_of(Object::ladder) == table_capacity &&
              capacity_of(Object::coin) == table_capacity &&
              capacity_of(Object::key1) == table_capacity &&
              capacity_of(Object::lock1) == table_capacity &&
              capacity_of(Object::key2) == table_capacity &&
              capacity_of(Object::lock2) == table_capacity);
static_assert(capacity_of(Object::enemy_g) == enemy_state_capacity &&
              capacity_of(Object::enemy_h) == enemy_state_capacity &&
              capacity_of(Object::enemy_j) == enemy_state_capacity &&
              enemy_state_capacity <= enemy_table_capacity);
// A kind-i enemy also writes the state entry after its own.
static_assert(capacity_of(Object::enemy_i) == enemy_state_capacity - 1);
// The single objects and the empty cell have no table.
static_assert(capacity_of(Object::player_start) == 0 && capacity_of(Object::power_item) == 0 &&
              capacity_of(Object::door) == 0 && capacity_of(Object::empty) == 0);

Rect cell_rect(int32_t c, int32_t r) {
    const int32_t left = c * cell_size;
    const int32_t top = r * cell_size;
    return Rect{left, top, left + cell_size, top + cell_size};
}

// The next free index of a table, or 0 when the table has none left.
int32_t free_index(int32_t counter, int32_t capacity) {
    return counter >= 1 && counter <= capacity ? counter : 0;
}

}  // namespace

int32_t object_capacity(std::string_view letter) {
    return stagefile::letter_capacity(letter);
}

std::string_view object_name(std::string_view letter) {
    return stagefile::letter_name(letter);
}

bool place_object(World& w, std::string_view letter, int32_t c, int32_t r, bool restore) {
    const stagefile::Letter& entry = stagefile::letter_of(letter);
    const Rect rect = cell_rect(c, r);
    const int32_t capacity = entry.capacity;

    // Appends to a table with a flag: the flag is cleared unless restoring.
    const auto append = [&](auto& table, int32_t& counter, int32_t* flags) {
        const int32_t n = free_index(counter, capacity);
        if (n == 0) return false;
        table[n] = rect;
        if (flags && !restore) flags[n] = 0;
        ++counter;
        return true;
    };
    // Appends an enemy with a fresh pose and frame; returns its index or 0.
    const auto append_enemy = [&](auto& table, int32_t& counter, auto& states) {
        const int32_t n = free_index(counter, capacity);
        if (n == 0) return 0;
        table[n] = rect;
        states[n].enemy_pose = 0;
        states[n].enemy_frame = 0;
        ++counter;
        return n;
    };

    // Every object has its case and there is no default: a letter added to
    // the table does not build until it has one here.
    switch (entry.object) {
        case Object::wall:
            return append(w.wall_table, w.wall_count, nullptr);
        case Object::player_start:
            w.player_rect = rect;
            w.player_pose = pose_stand;
            w.player_frame = 0;
            return true;
        case Object::ladder:
            return append(w.ladder_table, w.ladder_count, nullptr);
        case Object::coin:
            return append(w.coin_table, w.coin_count, w.coin_taken.data());
        case Object::power_item:
            w.power_item_rect = rect;
            if (!restore) w.power_taken = 0;
            return true;
        case Object::door:
            w.door_rect = rect;
            if (!restore) w.door_open = 0;
            return true;
        case Object::enemy_g:
            return append_enemy(w.enemy_g_table, w.enemy_g_count, w.enemy_g_state) != 0;
        case Object::enemy_h:
            return append_enemy(w.enemy_h_table, w.enemy_h_count, w.enemy_h_state) != 0;
        case Object::enemy_i: {
            const int32_t n = append_enemy(w.enemy_i_table, w.enemy_i_count, w.enemy_i_state);
            if (n == 0) return false;
            w.enemy_i_state[n].enemy_armour = 1;
            w.enemy_i_state[n + 1].enemy_shot_active = 0;
            return true;
        }
        case Object::enemy_j: {
            const int32_t n = append_enemy(w.enemy_j_table, w.enemy_j_count, w.enemy_j_state);
            if (n == 0) return false;
            w.enemy_j_state[n].enemy_armour = 2;
            return true;
        }
        case Object::key1:
            return append(w.key1_table, w.key1_count, w.key1_taken.data());
        case Object::lock1:
            return append(w.lock1_table, w.lock1_count, w.lock1_opened.data());
        case Object::key2:
            return append(w.key2_table, w.key2_count, w.key2_taken.data());
        case Object::lock2:
            return append(w.lock2_table, w.lock2_count, w.lock2_opened.data());
        case Object::empty:
            return true;
    }
    return true;  // not reached: every object has its case
}

std::optional<StageError> build_stage(World& w, stagefile::Reader& reader) {
    const auto error = [&](int32_t line, std::string problem) {
        return StageError{reader.path(), w.stage_number, line, std::move(problem)};
    };
    // A shot of the first kind-i enemy still in flight when the last stage
    // ended must not fly on into this one.
    w.enemy_i_state[1].enemy_shot_active = 0;
    if (w.stage_rows < 0 || w.stage_rows > grid_capacity) {
        return error(0, "the row count " + std::to_string(w.stage_rows) + " is outside 0 to 400");
    }

    std::string line;
    std::vector<std::string_view> cells;
    for (int32_t r = 1; r <= w.stage_rows; ++r) {
        if (auto refusal = stagefile::read_row(reader, r, w.stage_rows, line, cells)) {
            return error(refusal->line, std::move(refusal->problem));
        }
        w.row_length = static_cast<int32_t>(cells.size());
        for (int32_t c = 1; c <= w.row_length; ++c) {
            const std::string_view letter = cells[c - 1];
            w.stage_grid[c][r].set(letter);
            if (!place_object(w, letter, c, r, false)) {
                return error(reader.lines_read(), stagefile::capacity_problem(letter, r, c));
            }
        }
    }

    // An enemy table without enemies gets a marker in entry 2 (its left only).
    if (w.enemy_g_count == 1) w.enemy_g_table[2].left = empty_marker;
    if (w.enemy_h_count == 1) w.enemy_h_table[2].left = empty_marker;
    if (w.enemy_i_count == 1) w.enemy_i_table[2].left = empty_marker;
    if (w.enemy_j_count == 1) w.enemy_j_table[2].left = empty_marker;

    place_camera(w);
    return std::nullopt;
}

void rebuild_stage(World& w) {
    const int32_t rows = std::clamp(w.stage_rows, 0, grid_capacity);
    const int32_t columns = std::clamp(w.row_length, 0, grid_capacity);
    for (int32_t r = 1; r <= rows; ++r) {
        for (int32_t c = 1; c <= columns; ++c) {
            // The grid holds a stage that was built without overflow, so
            // every object fits again.
            place_object(w, w.stage_grid[c][r].text(), c, r, true);
        }
    }
}

}  // namespace vorne
