// A quick way to the answer of a table scan, for a step that scans one table
// many times while the table stays where it is (the enemy step scans walls,
// locks and ladders once per enemy; the interaction step scans walls and locks
// once per enemy shot).
//
// The index sorts the table's entries into buckets by area. A scan through it
// gives exactly what first_touch gives (the lowest index that touches and
// counts, and hit_flag and hit_rect as the last test of the full scan in index
// order leaves them): only entries that cannot touch the rectangle are passed
// over, and the result does not depend on which entries were looked at.
// Small tables, and rectangles too large for a few buckets, are scanned
// entry by entry as before. Lives on the stack; allocates nothing.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/rect_test.h"
#include "game/world/world.h"

namespace vorne {

class RectIndex {
  public:
    // Indexes entries 1..last of table (last at most table_capacity) for about
    // `scans` scans. The entries must not move while the index is used; their
    // flags may change. Where building would cost more than it saves (a short
    // table, or few scans) the scans just go entry by entry.
    void build(const Rect* table, int32_t last, int32_t scans) {
        table_ = table;
        last_ = last;
        linear_ = last <= 32 || last > table_capacity ||
                  static_cast<int64_t>(last) * scans < 4 * slot_count;
        if (linear_) return;
        start_.fill(0);
        oversize_count_ = 0;
        for (int32_t i = 1; i <= last; ++i) {
            for_each_bucket(table[i], [&](uint32_t slot) { ++start_[slot + 1]; });
        }
        for (int32_t s = 0; s < slot_count; ++s)
            start_[s + 1] += start_[s];
        std::array<uint16_t, slot_count> fill{};
        for (int32_t i = 1; i <= last; ++i) {
            const bool indexed = for_each_bucket(table[i], [&](uint32_t slot) {
                refs_[start_[slot] + fill[slot]++] = static_cast<uint16_t>(i);
            });
            if (!indexed) oversize_[oversize_count_++] = static_cast<uint16_t>(i);
        }
    }

    // The same as first_touch(world, r, table, last, counts).
    template <class Counts>
    int32_t first_touch(World& world, const Rect& r, Counts counts) const {
        if (last_ < 1) return 0;
        if (linear_ || !small_enough(r)) return vorne::first_touch(world, r, table_, last_, counts);
        int32_t best = 0;
        // Within a bucket, and in the oversize list, indices ascend.
        const auto look = [&](const uint16_t* begin, const uint16_t* end) {
            for (const uint16_t* p = begin; p != end; ++p) {
                const int32_t i = *p;
                if (best != 0 && i >= best) return;
                if (overlaps(r, table_[i]) && counts(i)) {
                    best = i;
                    return;
                }
            }
        };
        if (non_empty(r)) {
            for_each_bucket(r, [&](uint32_t slot) {
                look(refs_.data() + start_[slot], refs_.data() + start_[slot + 1]);
            });
            look(oversize_.data(), oversize_.data() + oversize_count_);
        }
        if (best != 0) {
            intersect_rect(world, r, table_[best]);
            return best;
        }
        intersect_rect(world, r, table_[last_]);
        return 0;
    }

    int32_t first_touch(World& world, const Rect& r) const {
        return first_touch(world, r, [](int32_t) { return true; });
    }

  private:
    static constexpr int32_t bucket_shift = 5;  // 32 pixels: a cell covers at most 2 x 2
    static constexpr int32_t slot_count = 1024;
    static constexpr int32_t max_buckets = 4;

    static constexpr bool non_empty(const Rect& r) { return r.left < r.right && r.top < r.bottom; }

    static bool small_enough(const Rect& r) {
        if (!non_empty(r)) return true;
        const int64_t columns = ((r.right - 1) >> bucket_shift) - (r.left >> bucket_shift) + 1;
        const int64_t rows = ((r.bottom - 1) >> bucket_shift) - (r.top >> bucket_shift) + 1;
        return columns * rows <= max_buckets;
    }

    static uint32_t slot_of(int32_t column, int32_t row) {
        const uint32_t h =
            static_cast<uint32_t>(column) * 0x9E3779B1u ^ static_cast<uint32_t>(row) * 0x85EBCA77u;
        return (h ^ (h >> 15)) & (slot_count - 1);
    }

    // Calls f with the slot of every bucket that r covers. An empty rectangle
    // touches nothing and covers none; one that covers more than max_buckets
    // is not bucketed and the result is false.
    template <class F>
    static bool for_each_bucket(const Rect& r, F f) {
        if (!non_empty(r)) return true;
        if (!small_enough(r)) return false;
        for (int32_t row = r.top >> bucket_shift; row <= (r.bottom - 1) >> bucket_shift; ++row) {
            for (int32_t column = r.left >> bucket_shift; column <= (r.right - 1) >> bucket_shift;
                 ++column) {
                f(slot_of(column, row));
            }
        }
        return true;
    }

    const Rect* table_ = nullptr;
    int32_t last_ = 0;
    bool linear_ = true;
    // Filled by build before any read, and only when the index is used: left
    // uninitialised, an index that scans linearly (most of them, every tick)
    // costs nothing to make.
    std::array<uint16_t, slot_count + 1> start_;
    std::array<uint16_t, table_capacity * max_buckets> refs_;
    std::array<uint16_t, table_capacity> oversize_;
    int32_t oversize_count_ = 0;
};

}  // namespace vorne
