#include "game/actors/actors.h"
#include "game/actors/kinds.h"
#include "game/world/rect_index.h"

namespace vorne {
namespace {

// The tables an enemy is tested against. None of them moves during the step,
// so each is indexed once for all the enemies of the kind.
struct Obstacles {
    RectIndex walls;
    RectIndex locks1;
    RectIndex locks2;
    RectIndex ladders;

    Obstacles(const World& w, int32_t enemies) {
        walls.build(w.wall_table.data(), loop_end(w.wall_count, table_capacity), 2 * enemies);
        locks1.build(w.lock1_table.data(), loop_end(w.lock1_count, table_capacity), enemies);
        locks2.build(w.lock2_table.data(), loop_end(w.lock2_count, table_capacity), enemies);
        ladders.build(w.ladder_table.data(), loop_end(w.ladder_count, table_capacity), enemies);
    }

    // What stops an enemy: a wall, or a closed lock whatever keys the player
    // holds.
    bool blocked(World& w, const Rect& e) const {
        return walls.first_touch(w, e) != 0 ||
               locks1.first_touch(w, e, [&](int32_t i) { return w.lock1_opened[i] == 0; }) != 0 ||
               locks2.first_touch(w, e, [&](int32_t i) { return w.lock2_opened[i] == 0; }) != 0;
    }

    // What an enemy walks on: walls and ladders, below it or beside it. Locks,
    // items and the door give no support.
    bool supported(World& w, const Rect& e) const {
        return walls.first_touch(w, e) != 0 || ladders.first_touch(w, e) != 0;
    }
};

int32_t turned(int32_t direction) {
    return direction < 0 ? enemy_walk_right : enemy_walk_left;
}

}  // namespace

void step_enemies(World& w, EnemyKind kind) {
    const EnemyTables t = enemy_tables(w, kind);
    if (kind_absent(t)) return;
    const int32_t last = last_enemy(t);
    const Obstacles obstacles(w, last);
    const int32_t s = t.speed;
    for (int32_t k = 1; k <= last; ++k) {
        EnemyState& state = t.state[k];
        int32_t d = 0;
        if (state.enemy_pose == enemy_walk_left) {
            d = -1;
        } else if (state.enemy_pose == enemy_new || state.enemy_pose == enemy_walk_right) {
            d = 1;
        } else {
            continue;  // shot down: stays where it was hit
        }
        Rect& e = t.table[k];
        e.left += d * s;
        e.right += d * s;
        if (obstacles.blocked(w, e)) {
            // Turning in place costs the tick.
            e.left -= d * s;
            e.right -= d * s;
            state.enemy_pose = turned(d);
            state.enemy_frame = 0;
            continue;
        }
        // The probe looks s pixels down, so an enemy walks on while any part
        // of it is still over a wall or ladder: it overhangs a floor's end by
        // up to 20 - s pixels before it turns.
        e.top += s;
        e.bottom += s;
        if (obstacles.supported(w, e)) {
            e.top -= s;
            e.bottom -= s;
            state.enemy_pose = d < 0 ? enemy_walk_left : enemy_walk_right;
            ++state.enemy_frame;
            if (state.enemy_frame == 4) state.enemy_frame = 0;
        } else {
            e.left -= d * s;
            e.right -= d * s;
            e.top -= s;
            e.bottom -= s;
            state.enemy_pose = turned(d);
            state.enemy_frame = 0;
        }
    }
}

void step_vanishing(World& w) {
    for (EnemyKind kind : {EnemyKind::g, EnemyKind::h, EnemyKind::i, EnemyKind::j}) {
        EnemyTables t = enemy_tables(w, kind);
        for (int32_t k = 1, last = last_enemy(t); k <= last; ++k) {
            EnemyState& s = t.state[k];
            if (s.enemy_pose == enemy_down && s.enemy_frame < vanish_frames) ++s.enemy_frame;
        }
    }
}

}  // namespace vorne
