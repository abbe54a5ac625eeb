// Small test stages written as text grids, built through the stage builder, and
// a sound port that records the effects played.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "game/ports/ports.h"
#include "game/world/world.h"
#include "tests/support/stage_rows.h"

namespace vorne::test {

// Builds the rows as the first stage of a fresh game, as the title and the
// stage introduction do (the camera placed); fails the test on a bad stage.
inline std::unique_ptr<World> stage(std::initializer_list<std::string> rows) {
    auto [world, error] = build_first_stage(rows);
    EXPECT_FALSE(error) << error->message();
    return std::move(world);
}

// The rectangle of the cell at column c, row r (1-based) where the builder
// puts it, before any scrolling.
inline Rect cell(int32_t c, int32_t r) {
    return Rect{c * cell_size, r * cell_size, c * cell_size + cell_size, r * cell_size + cell_size};
}

// A rectangle of one cell with its top-left corner at (left, top).
inline Rect at(int32_t left, int32_t top) {
    return Rect{left, top, left + cell_size, top + cell_size};
}

class SoundLog : public SoundPort {
  public:
    void play_effect(int32_t effect_number) override { played.push_back(effect_number); }
    std::vector<int32_t> played;
};

}  // namespace vorne::test
