// Builds a stage from rows of cell letters, as the first stage of a fresh
// game: the title reads the count line, the introduction builds the stage and
// places the camera. No test framework here, so benchmarks use it too.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/world/builder.h"
#include "game/world/reset.h"
#include "game/world/stage_file.h"
#include "game/world/world.h"
#include "stagefile/reader.h"
#include "stagefile/writer.h"

namespace vorne::test {

inline std::pair<std::unique_ptr<World>, std::optional<StageError>> build_first_stage(
    const std::vector<std::string>& rows, std::string name = "test.dat") {
    auto world = make_world();
    reset_game(*world);
    stagefile::Reader reader;
    reader.open_text(std::move(name),
                     stagefile::format_block(static_cast<int32_t>(rows.size()), rows));
    auto error = start_stage_file(*world, reader);
    if (!error) error = build_stage(*world, reader);
    world->game_state = state_play;
    return {std::move(world), error};
}

}  // namespace vorne::test
