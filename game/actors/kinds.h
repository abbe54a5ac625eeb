// The tables of one enemy kind, and what sets the kinds apart.
#pragma once

#include <cstdint>

#include "game/actors/actors.h"
#include "game/world/world.h"

namespace vorne {

struct EnemyTables {
    RectTable<enemy_table_capacity>& table;
    int32_t count;
    EnemyStateTable<enemy_state_capacity>& state;
    int32_t speed;   // pixels per tick, for the walk and the support probe
    int32_t points;  // score for shooting it down
};

inline EnemyTables enemy_tables(World& w, EnemyKind kind) {
    switch (kind) {
        case EnemyKind::g:
            return {w.enemy_g_table, w.enemy_g_count, w.enemy_g_state, 5, 100};
        case EnemyKind::h:
            return {w.enemy_h_table, w.enemy_h_count, w.enemy_h_state, 10, 150};
        case EnemyKind::i:
            return {w.enemy_i_table, w.enemy_i_count, w.enemy_i_state, 5, 200};
        case EnemyKind::j:
        default:
            return {w.enemy_j_table, w.enemy_j_count, w.enemy_j_state, 5, 150};
    }
}

// Last index a loop over the kind's entries visits: the counter (for kinds h,
// i and j the slot just past the last entry), never past the state table.
inline int32_t last_enemy(const EnemyTables& t) {
    return loop_end(t.count, enemy_state_capacity);
}

// The builder marks entry 2 of a kind with no enemy in the stage.
inline bool kind_absent(const EnemyTables& t) {
    return t.table[2].left == empty_marker;
}

}  // namespace vorne
