#include "game/world/rect_index.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "game/world/rect_test.h"

namespace vorne {
namespace {

TEST(IntersectRect, TouchingEdgesAndEmptyRectanglesDoNotHit) {
    auto w = make_world();
    const Rect a{0, 0, 20, 20};
    EXPECT_FALSE(intersect_rect(*w, a, Rect{20, 0, 40, 20}));
    EXPECT_EQ(w->hit_flag, 0);
    EXPECT_FALSE(intersect_rect(*w, a, Rect{5, 5, 5, 15}));
    EXPECT_FALSE(intersect_rect(*w, Rect{5, 5, 25, 5}, a));
    EXPECT_TRUE(intersect_rect(*w, a, Rect{15, -5, 35, 15}));
    EXPECT_EQ(w->hit_flag, -1);
    EXPECT_EQ(w->hit_rect, (Rect{15, 0, 20, 15}));
    EXPECT_FALSE(intersect_rect(*w, a, Rect{40, 40, 60, 60}));
    EXPECT_EQ(w->hit_rect, Rect{});
}

// A rectangle as the tables hold them: mostly cells on a 5-pixel grid, some
// empty, some large, some at the ends of the number range.
Rect random_rect(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 19);
    std::uniform_int_distribution<int32_t> coordinate(-60, 60);
    const int k = kind(rng);
    const int32_t left = coordinate(rng) * 5;
    const int32_t top = coordinate(rng) * 5;
    if (k == 0) return Rect{};
    if (k == 1) return Rect{left, top, left + 20, top};  // no height
    if (k == 2) return Rect{left, top, left + 300, top + 90};
    if (k == 3) {
        constexpr int32_t high = std::numeric_limits<int32_t>::max();
        return Rect{high - 15, top, high, top + 20};
    }
    if (k == 4) {
        constexpr int32_t low = std::numeric_limits<int32_t>::min();
        return Rect{low, low, low + 20, low + 20};
    }
    return Rect{left, top, left + 20, top + 20};
}

// The index must answer exactly as the scan in index order does: the same
// entry, and the same hit_flag and hit_rect afterwards.
TEST(RectIndex, AnswersExactlyAsTheScanInIndexOrder) {
    std::mt19937 rng(1714);
    auto scanned = make_world();
    auto indexed = make_world();
    std::array<Rect, table_capacity + 1> table{};
    std::array<int32_t, table_capacity + 1> flags{};
    for (int round = 0; round < 200; ++round) {
        const int32_t last = std::uniform_int_distribution<int32_t>(0, table_capacity)(rng);
        for (int32_t i = 1; i <= table_capacity; ++i) {
            table[i] = random_rect(rng);
            flags[i] = static_cast<int32_t>(rng() % 4 == 0);
        }
        RectIndex index;
        index.build(table.data(), last, 200);
        for (int query = 0; query < 200; ++query) {
            const Rect r = random_rect(rng);
            const auto counts = [&](int32_t i) { return flags[i] == 0; };
            scanned->hit_flag = indexed->hit_flag = 7;
            const int32_t expected = first_touch(*scanned, r, table.data(), last, counts);
            EXPECT_EQ(index.first_touch(*indexed, r, counts), expected);
            EXPECT_EQ(indexed->hit_flag, scanned->hit_flag);
            EXPECT_EQ(indexed->hit_rect, scanned->hit_rect);
            EXPECT_EQ(index.first_touch(*indexed, r), first_touch(*scanned, r, table.data(), last));
        }
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace vorne
