// The player's rectangle probes. Each scans whole tables in index order, from
// entry 1 to the table's counter inclusive, and stops at the first entry that
// counts.
#pragma once

#include <cstdint>

#include "game/world/world.h"

namespace vorne {

// A closed lock is solid only to a player holding no key of its kind: with a
// key the player may move into it (and the interaction step then opens it).
// An opened lock never blocks. Scans lock1_table, then lock2_table.
bool lock_blocks(World& world, const Rect& player);

// Walls only.
bool wall_probe(World& world, const Rect& player);

// Walls, then the locks by the lock_blocks rule.
bool solid_probe(World& world, const Rect& player);

// Walls, then ladders, then the locks by the lock_blocks rule: what holds the
// player up in the fall step. A ladder holds wherever the player touches it.
bool support_probe(World& world, const Rect& player);

// Index of the first ladder that touches the player, or 0.
int32_t ladder_search(World& world, const Rect& player);

}  // namespace vorne
