#include "game/actors/actors.h"
#include "game/player/player.h"

namespace vorne {

void run_play_rules(World& world, SoundPort& sound) {
    step_player(world);
    step_player_shot(world, sound);
    step_enemy_shots(world, sound);
    step_enemies(world, EnemyKind::g);
    step_enemies(world, EnemyKind::h);
    step_enemies(world, EnemyKind::i);
    step_enemies(world, EnemyKind::j);
    check_contacts(world, sound);
    wrap_backdrop(world);
    step_vanishing(world);
    step_dying(world);
}

}  // namespace vorne
