// Enemies, shots and the interactions between the player and the world.
#pragma once

#include "game/ports/ports.h"
#include "game/world/world.h"

namespace vorne {

enum class EnemyKind { g, h, i, j };

// Fires and moves the player's shot once the power item is taken: button 1
// fires while no shot flies and the player walks left or right (held down, it
// fires again on the tick after the last shot ended); the shot flies 10 pixels
// a tick the way the player faced when it fired.
void step_player_shot(World& world, SoundPort& sound);

// Fires and moves the shots of the kind-i enemies: each enemy fires as soon as
// its last shot has ended, the way it walks; shots fly 10 pixels a tick until
// the interaction step ends them, even after their enemy is shot down.
void step_enemy_shots(World& world, SoundPort& sound);

// Moves every enemy of the kind one step along what it stands on; an enemy
// turns in place at a wall, a closed lock or a floor's end.
void step_enemies(World& world, EnemyKind kind);

// Everything that happens when two things meet: items taken, locks opened,
// the door entered, the player caught, enemies and shots struck.
void check_contacts(World& world, SoundPort& sound);

// One more frame of every shot-down enemy's vanishing, kind g, h, i, then j.
void step_vanishing(World& world);

// The rules of a play tick in their fixed order: the player, both kinds of
// shot, the four enemy kinds, the interactions, then the animations that end
// in a rule (the backdrop's wrap, the vanishing enemies, the dying player).
void run_play_rules(World& world, SoundPort& sound);

}  // namespace vorne
