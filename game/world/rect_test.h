// The one rectangle test of the game and the table scans built on it.
//
// Two rectangles touch when their intersection is not empty: they share at
// least one pixel column and one pixel row. Rectangles that only share an edge
// do not touch, and a rectangle of zero width or height touches nothing. Every
// test leaves its outcome in hit_flag (-1 touch, 0 none) and the intersection
// in hit_rect (all zeros when there is none). Nothing in play reads them back,
// but they are part of the world, so the scans below leave them exactly as a
// test of every visited entry, one after the other, would.
#pragma once

#include <algorithm>
#include <cstdint>

#include "game/world/world.h"

namespace vorne {

// Whether a and b share at least one pixel. max(lefts) < min(rights) is the
// same as the four comparisons below, which need no branches.
constexpr bool overlaps(const Rect& a, const Rect& b) {
    return (a.left < a.right) & (b.left < b.right) & (a.left < b.right) & (b.left < a.right) &
           (a.top < a.bottom) & (b.top < b.bottom) & (a.top < b.bottom) & (b.top < a.bottom);
}

// The rectangle test: true when a and b touch; stores the outcome in hit_flag
// and hit_rect.
inline bool intersect_rect(World& world, const Rect& a, const Rect& b) {
    if (!overlaps(a, b)) {
        world.hit_flag = 0;
        world.hit_rect = Rect{};
        return false;
    }
    world.hit_flag = -1;
    world.hit_rect = Rect{std::max(a.left, b.left), std::max(a.top, b.top),
                          std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return true;
}

// Tests r against entries 1..last of table in index order and stops at the
// first entry that touches r and for which counts(index) is true. Returns that
// index, or 0 when none counts. An entry that touches but does not count is
// passed over; its test still happened. Leaves hit_flag and hit_rect as the
// last test made left them (untouched when last is below 1).
template <class Counts>
int32_t first_touch(World& world, const Rect& r, const Rect* table, int32_t last, Counts counts) {
    if (last < 1) return 0;
    // Most entries touch nothing: find candidates eight at a time without
    // branching, and judge only those.
    int32_t i = 1;
    for (; i + 7 <= last; i += 8) {
        unsigned mask = 0;
        for (int32_t j = 0; j < 8; ++j) {
            mask |= static_cast<unsigned>(overlaps(r, table[i + j])) << j;
        }
        while (mask != 0) {
            const int32_t k = i + __builtin_ctz(mask);
            if (counts(k)) {
                intersect_rect(world, r, table[k]);
                return k;
            }
            mask &= mask - 1;
        }
    }
    for (; i <= last; ++i) {
        if (overlaps(r, table[i]) && counts(i)) {
            intersect_rect(world, r, table[i]);
            return i;
        }
    }
    intersect_rect(world, r, table[last]);
    return 0;
}

inline int32_t first_touch(World& world, const Rect& r, const Rect* table, int32_t last) {
    return first_touch(world, r, table, last, [](int32_t) { return true; });
}

}  // namespace vorne
