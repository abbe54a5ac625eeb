#include <cstdint>
#include <limits>

#include "game/actors/actors.h"
#include "game/actors/kinds.h"
#include "game/audio/audio.h"

namespace vorne {
namespace {

inline constexpr int32_t shot_speed = 10;

// Shots have no range: only a wall, an enemy or a closed lock ends a flight,
// and a shot that leaves the stage (the one fired from the slot past the last
// kind-i entry, above the stage) flies on for ever. One that has come to the
// end of the 32-bit range stays there rather than overflow.
void fly(Rect& shot, int32_t heading) {
    int32_t delta = 0;
    if (heading == pose_walk_left) delta = -shot_speed;
    if (heading == pose_walk_right) delta = shot_speed;
    const int64_t left = static_cast<int64_t>(shot.left) + delta;
    const int64_t right = static_cast<int64_t>(shot.right) + delta;
    constexpr int64_t low = std::numeric_limits<int32_t>::min();
    constexpr int64_t high = std::numeric_limits<int32_t>::max();
    if (left < low || right < low || left > high || right > high) return;
    shot.left = static_cast<int32_t>(left);
    shot.right = static_cast<int32_t>(right);
}

}  // namespace

void step_player_shot(World& w, SoundPort& sound) {
    if (w.power_taken != 1) return;
    if ((w.buttons & button_fire) != 0 && w.player_shot_active == 0) {
        // The heading is the pose at the moment of firing: standing, on a
        // ladder or falling, nothing is fired.
        w.player_shot_heading = w.player_pose;
        if (w.player_shot_heading != pose_walk_left && w.player_shot_heading != pose_walk_right) {
            return;
        }
        play_sound(sound, sound_shot);
        const Rect& p = w.player_rect;
        w.player_shot_rect = Rect{p.left, p.top, p.left + cell_size, p.bottom};
        w.player_shot_active = 1;
    }
    // A shot fired this tick already makes its first move.
    if (w.player_shot_active == 1) fly(w.player_shot_rect, w.player_shot_heading);
}

void step_enemy_shots(World& w, SoundPort& sound) {
    const EnemyTables t = enemy_tables(w, EnemyKind::i);
    if (kind_absent(t)) return;
    const int32_t last = loop_end(last_enemy(t), enemy_shot_capacity);
    for (int32_t k = 1; k <= last; ++k) {
        EnemyState& state = t.state[k];
        // An enemy fires as soon as it has no shot in flight, the way it
        // walks; one placed but not yet stepped (pose 0) fires nothing, and one
        // shot down never fires again.
        if (state.enemy_shot_active == 0 && state.enemy_pose != enemy_down) {
            state.enemy_shot_heading = state.enemy_pose;
            if (state.enemy_shot_heading == enemy_walk_left ||
                state.enemy_shot_heading == enemy_walk_right) {
                play_sound(sound, sound_shot);
                const Rect& e = t.table[k];
                w.enemy_shot_table[k] = Rect{e.left, e.top, e.left + cell_size, e.bottom};
                state.enemy_shot_active = 1;
            }
        }
        if (state.enemy_shot_active == 1) fly(w.enemy_shot_table[k], state.enemy_shot_heading);
    }
}

}  // namespace vorne
