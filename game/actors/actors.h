// Enemies, shots and the interactions between the player and the world.
#pragma once

#include "game/shell/ports.h"
#include "game/world/world.h"

namespace vorne {

enum class EnemyKind { g, h, i, j };

void step_player_shot(World& world, SoundPort& sound);
void step_enemy_shots(World& world, SoundPort& sound);
void step_enemies(World& world, EnemyKind kind);
void check_contacts(World& world, SoundPort& sound);

}  // namespace vorne
