#include "game/actors/actors.h"

namespace vorne {

// Not built yet: nothing moves and nothing meets.
void step_player_shot(World& /*world*/, SoundPort& /*sound*/) {}
void step_enemy_shots(World& /*world*/, SoundPort& /*sound*/) {}
void step_enemies(World& /*world*/, EnemyKind /*kind*/) {}
void check_contacts(World& /*world*/, SoundPort& /*sound*/) {}

}  // namespace vorne
