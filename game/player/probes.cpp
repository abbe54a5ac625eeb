#include "game/player/probes.h"

#include <algorithm>

#include "game/world/rect_test.h"

namespace vorne {
namespace {

bool lock_table_blocks(World& world, const Rect& player, const RectTable<table_capacity>& table,
                       int32_t count, const FlagTable<table_capacity>& opened, int32_t keys_held) {
    const int32_t last = loop_end(count, table_capacity);
    return first_touch(world, player, table.data(), last,
                       [&](int32_t i) { return opened[i] == 0 && keys_held == 0; }) != 0;
}

}  // namespace

bool lock_blocks(World& w, const Rect& player) {
    return lock_table_blocks(w, player, w.lock1_table, w.lock1_count, w.lock1_opened,
                             w.keys1_held) ||
           lock_table_blocks(w, player, w.lock2_table, w.lock2_count, w.lock2_opened, w.keys2_held);
}

bool wall_probe(World& w, const Rect& player) {
    return first_touch(w, player, w.wall_table.data(), loop_end(w.wall_count, table_capacity)) != 0;
}

bool solid_probe(World& w, const Rect& player) {
    return wall_probe(w, player) || lock_blocks(w, player);
}

bool support_probe(World& w, const Rect& player) {
    return wall_probe(w, player) || ladder_search(w, player) != 0 || lock_blocks(w, player);
}

int32_t ladder_search(World& w, const Rect& player) {
    return first_touch(w, player, w.ladder_table.data(), loop_end(w.ladder_count, table_capacity));
}

}  // namespace vorne
