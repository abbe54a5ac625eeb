// The eleven object tables of the world in one list: every rule that walks
// all of them (the scroll, the reset, the runner's dump, the soak's checks)
// walks this list, in its order. A new kind of object is one more line here,
// plus the rules that give it a meaning.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "game/world/world.h"

namespace vorne {

inline constexpr int32_t object_table_count = 11;

// One object table: const members when read from a const World.
template <bool Const>
struct BasicObjectTable {
    template <typename T>
    using Ref = std::conditional_t<Const, const T, T>;

    std::string_view name;              // "coin": the dump's "coin_table" and "coin_count"
    std::span<Ref<Rect>> rects;         // the whole table, index 0 unused
    Ref<int32_t>& count;                // the counter (1 = empty)
    int32_t capacity;                   // highest usable index (enemies: of their states)
    std::string_view state_name;        // the dump's name of the flags or states, or empty
    std::span<Ref<int32_t>> flags;      // taken or opened flags of items, or empty
    std::span<Ref<EnemyState>> states;  // enemy states, or empty
};
using ObjectTable = BasicObjectTable<false>;
using ConstObjectTable = BasicObjectTable<true>;

// The tables of a World or a const World, in the order of the dump. Enemy
// rectangle tables reach index 500, but only entries 1..400 have a state; the
// reset clears no more.
template <typename W>
auto object_tables(W& w) {
    static_assert(std::is_same_v<std::remove_const_t<W>, World>);
    using Table = BasicObjectTable<std::is_const_v<W>>;
    // The capacities of item and of enemy tables.
    constexpr int32_t item = table_capacity;
    constexpr int32_t enemy = enemy_state_capacity;
    // clang-format off
    return std::array<Table, object_table_count>{{
        {"wall",    w.wall_table,    w.wall_count,    item,  "",              {},             {}},
        {"ladder",  w.ladder_table,  w.ladder_count,  item,  "",              {},             {}},
        {"coin",    w.coin_table,    w.coin_count,    item,  "coin_taken",    w.coin_taken,   {}},
        {"key1",    w.key1_table,    w.key1_count,    item,  "key1_taken",    w.key1_taken,   {}},
        {"lock1",   w.lock1_table,   w.lock1_count,   item,  "lock1_opened",  w.lock1_opened, {}},
        {"key2",    w.key2_table,    w.key2_count,    item,  "key2_taken",    w.key2_taken,   {}},
        {"lock2",   w.lock2_table,   w.lock2_count,   item,  "lock2_opened",  w.lock2_opened, {}},
        {"enemy_g", w.enemy_g_table, w.enemy_g_count, enemy, "enemy_g_state", {}, w.enemy_g_state},
        {"enemy_h", w.enemy_h_table, w.enemy_h_count, enemy, "enemy_h_state", {}, w.enemy_h_state},
        {"enemy_i", w.enemy_i_table, w.enemy_i_count, enemy, "enemy_i_state", {}, w.enemy_i_state},
        {"enemy_j", w.enemy_j_table, w.enemy_j_count, enemy, "enemy_j_state", {}, w.enemy_j_state},
    }};
    // clang-format on
}

}  // namespace vorne
