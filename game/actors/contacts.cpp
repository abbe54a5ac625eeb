#include <algorithm>
#include <cstdint>
#include <limits>

#include "game/actors/actors.h"
#include "game/actors/kinds.h"
#include "game/audio/audio.h"
#include "game/world/rect_index.h"

namespace vorne {
namespace {

inline constexpr int32_t coin_points = 50;
inline constexpr int32_t extra_life_points = 1500;

// Raises the score; whenever a gain brings it to the next multiple of 1500 or
// past it, one life more (only one, however many thresholds the gain passes).
// The score stops at the top of the 32-bit range instead of overflowing.
void add_score(World& w, int32_t points) {
    const int64_t score = static_cast<int64_t>(w.score) + points;
    w.score = static_cast<int32_t>(std::min<int64_t>(score, std::numeric_limits<int32_t>::max()));
    if (w.score > 0 && w.score >= static_cast<int64_t>(w.extra_life_step) * extra_life_points) {
        ++w.lives;
        ++w.extra_life_step;
    }
}

void catch_player(World& w, SoundPort& sound) {
    play_sound(sound, sound_caught);
    w.player_pose = pose_dying;
    w.player_frame = 1;
}

void take_coins(World& w, SoundPort& sound) {
    const int32_t last = loop_end(w.coin_count, table_capacity);
    if (last < 1) return;
    for (int32_t j = 1; j <= last; ++j) {
        if (!overlaps(w.player_rect, w.coin_table[j]) || w.coin_taken[j] != 0) continue;
        w.coin_taken[j] = 1;
        play_sound(sound, sound_item);
        add_score(w, coin_points);
        // Counted afresh after each coin taken, so the door opens (once) on
        // the last coin, also when two coins are taken in the same tick.
        int32_t taken = 0;
        for (int32_t n = 1; n <= last; ++n) {
            taken += w.coin_taken[n] == 1 ? 1 : 0;
        }
        if (taken == w.coin_count) {
            play_sound(sound, sound_door);
            w.door_open = 1;
        }
    }
    intersect_rect(w, w.player_rect, w.coin_table[last]);
}

// At most one key of a kind per tick.
void take_key(World& w, SoundPort& sound, const RectTable<table_capacity>& table, int32_t count,
              FlagTable<table_capacity>& taken, int32_t& keys_held) {
    const int32_t j = first_touch(w, w.player_rect, table.data(), loop_end(count, table_capacity),
                                  [&](int32_t i) { return taken[i] == 0; });
    if (j == 0) return;
    play_sound(sound, sound_item);
    taken[j] = 1;
    ++keys_held;
}

// At most one lock of a kind per tick, and only with a key of its kind.
void open_lock(World& w, SoundPort& sound, const RectTable<table_capacity>& table, int32_t count,
               FlagTable<table_capacity>& opened, int32_t& keys_held) {
    const int32_t j = first_touch(w, w.player_rect, table.data(), loop_end(count, table_capacity),
                                  [&](int32_t i) { return opened[i] == 0 && keys_held > 0; });
    if (j == 0) return;
    play_sound(sound, sound_item);
    opened[j] = 1;
    --keys_held;
}

// The first enemy of the kind, not vanishing, that touches the player catches
// it; a dying player is not caught again.
void meet_enemies(World& w, SoundPort& sound, EnemyKind kind) {
    const EnemyTables t = enemy_tables(w, kind);
    const int32_t k = first_touch(w, w.player_rect, t.table.data(), last_enemy(t), [&](int32_t i) {
        return w.player_pose != pose_dying && t.state[i].enemy_pose != enemy_down;
    });
    if (k != 0) catch_player(w, sound);
}

// The player's shot strikes the lowest-indexed enemy of the kind it touches
// that is not vanishing. Armour (kinds i and j) takes the hit silently.
void strike_enemy(World& w, SoundPort& sound, EnemyKind kind) {
    const EnemyTables t = enemy_tables(w, kind);
    const int32_t k = first_touch(w, w.player_shot_rect, t.table.data(), last_enemy(t),
                                  [&](int32_t i) { return t.state[i].enemy_pose != enemy_down; });
    if (k == 0) return;
    EnemyState& state = t.state[k];
    w.player_shot_active = 0;
    if ((kind == EnemyKind::i || kind == EnemyKind::j) && state.enemy_armour != 0) {
        --state.enemy_armour;
        return;
    }
    play_sound(sound, sound_enemy_down);
    add_score(w, t.points);
    state.enemy_pose = enemy_down;
}

// Whether shot touches a closed lock of the table.
bool strikes_lock(World& w, const Rect& shot, const RectTable<table_capacity>& table, int32_t count,
                  const FlagTable<table_capacity>& opened) {
    return first_touch(w, shot, table.data(), loop_end(count, table_capacity),
                       [&](int32_t i) { return opened[i] == 0; }) != 0;
}

bool strikes_wall(World& w, const Rect& shot) {
    return first_touch(w, shot, w.wall_table.data(), loop_end(w.wall_count, table_capacity)) != 0;
}

// Returns false when the shot met a wall, which ends the whole interaction
// step for this tick. Otherwise the shot is tested against every kind and
// both lock tables even after one of them has stopped it, so one shot can
// strike one enemy of each kind in the same tick.
bool player_shot_contacts(World& w, SoundPort& sound) {
    if (w.player_shot_active != 1) return true;
    if (strikes_wall(w, w.player_shot_rect)) {
        w.player_shot_active = 0;
        return false;
    }
    for (EnemyKind kind : {EnemyKind::g, EnemyKind::h, EnemyKind::i, EnemyKind::j}) {
        strike_enemy(w, sound, kind);
    }
    if (strikes_lock(w, w.player_shot_rect, w.lock1_table, w.lock1_count, w.lock1_opened)) {
        w.player_shot_active = 0;
    }
    if (strikes_lock(w, w.player_shot_rect, w.lock2_table, w.lock2_count, w.lock2_opened)) {
        w.player_shot_active = 0;
    }
    return true;
}

// The kind-i shots in index order. A shot that meets a wall, or catches the
// player, ends the whole interaction step for this tick: the shots after it
// wait for a later tick. A shot that catches the player flies on.
void enemy_shot_contacts(World& w, SoundPort& sound) {
    const int32_t last = loop_end(last_enemy(enemy_tables(w, EnemyKind::i)), enemy_shot_capacity);
    // Walls and locks stay put here; index them once for all the shots.
    RectIndex walls;
    RectIndex locks1;
    RectIndex locks2;
    walls.build(w.wall_table.data(), loop_end(w.wall_count, table_capacity), last);
    locks1.build(w.lock1_table.data(), loop_end(w.lock1_count, table_capacity), last);
    locks2.build(w.lock2_table.data(), loop_end(w.lock2_count, table_capacity), last);
    for (int32_t k = 1; k <= last; ++k) {
        EnemyState& state = w.enemy_i_state[k];
        if (state.enemy_shot_active != 1) continue;
        const Rect& shot = w.enemy_shot_table[k];
        if (walls.first_touch(w, shot) != 0) {
            state.enemy_shot_active = 0;
            return;
        }
        if (intersect_rect(w, shot, w.player_rect) && w.player_pose != pose_dying) {
            catch_player(w, sound);
            return;
        }
        if (locks1.first_touch(w, shot, [&](int32_t i) { return w.lock1_opened[i] == 0; }) != 0) {
            state.enemy_shot_active = 0;
        }
        if (locks2.first_touch(w, shot, [&](int32_t i) { return w.lock2_opened[i] == 0; }) != 0) {
            state.enemy_shot_active = 0;
        }
    }
}

}  // namespace

void check_contacts(World& w, SoundPort& sound) {
    // A dying player still picks things up.
    take_coins(w, sound);
    if (intersect_rect(w, w.player_rect, w.power_item_rect) && w.power_taken == 0) {
        w.power_taken = 1;
        play_sound(sound, sound_item);
    }
    take_key(w, sound, w.key1_table, w.key1_count, w.key1_taken, w.keys1_held);
    open_lock(w, sound, w.lock1_table, w.lock1_count, w.lock1_opened, w.keys1_held);
    take_key(w, sound, w.key2_table, w.key2_count, w.key2_taken, w.keys2_held);
    open_lock(w, sound, w.lock2_table, w.lock2_count, w.lock2_opened, w.keys2_held);

    // The door is entered at its exact place, not by touching it.
    if (w.door_open == 1 && w.player_rect.left == w.door_rect.left &&
        w.player_rect.top == w.door_rect.top) {
        w.game_state = state_stage_clear;
    }

    for (EnemyKind kind : {EnemyKind::g, EnemyKind::h, EnemyKind::i, EnemyKind::j}) {
        meet_enemies(w, sound, kind);
    }
    if (!player_shot_contacts(w, sound)) return;
    enemy_shot_contacts(w, sound);
}

}  // namespace vorne
