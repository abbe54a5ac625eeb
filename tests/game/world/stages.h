// Small stages of our own for the world tests, and a way to build them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/world/builder.h"
#include "game/world/reset.h"
#include "game/world/stage_file.h"
#include "game/world/world.h"
#include "stagefile/reader.h"
#include "stagefile/writer.h"

namespace vorne::test {

using Rows = std::vector<std::string>;

// A stage framed by walls, width x height cells, every inner cell "z", the
// player at (player_column, player_row) (1-based).
inline Rows framed(int width, int height, int player_column, int player_row) {
    Rows rows;
    for (int r = 1; r <= height; ++r) {
        std::string row(width, 'a');
        if (r != 1 && r != height) {
            for (int c = 2; c < width; ++c)
                row[c - 1] = 'z';
        }
        rows.push_back(row);
    }
    rows[player_row - 1][player_column - 1] = 'b';
    return rows;
}

// Puts letter at (column, row) of rows (1-based).
inline void put(Rows& rows, int column, int row, char letter) {
    rows[row - 1][column - 1] = letter;
}

// A world after a full reset, as the title leaves it.
inline std::unique_ptr<World> title_world() {
    auto world = make_world();
    reset_game(*world);
    return world;
}

// The text of a stage file of the given blocks.
inline std::string file_of(const std::vector<Rows>& blocks) {
    std::string text;
    for (const Rows& rows : blocks) {
        text += stagefile::format_block(static_cast<int32_t>(rows.size()), rows);
    }
    return text;
}

// Opens text as the stage file and builds its first stage, as the title and
// the stage introduction do.
inline std::optional<StageError> load_first(World& world, stagefile::Reader& reader,
                                            const std::string& text) {
    reader.open_text("test.dat", text);
    if (auto error = start_stage_file(world, reader)) return error;
    return build_stage(world, reader);
}

// Builds rows as the first stage of a fresh world; fails the test on error.
inline std::unique_ptr<World> built(const Rows& rows) {
    auto world = title_world();
    stagefile::Reader reader;
    auto error = load_first(*world, reader, file_of({rows}));
    EXPECT_FALSE(error) << error->message();
    return world;
}

}  // namespace vorne::test
