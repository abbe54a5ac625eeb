// What the editor's status line says about the stage being edited: its player
// start, door and coins, and the first thing the game's check finds wrong with
// it. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <string>

#include "editor/stage_model.h"

namespace vorne::editor {

// The stage as the game would read it: framed as the next redraw tick frames
// it, then saved as one block. Counts are of the cells the game reads ("b",
// "f", "d"), so a cell holding several characters counts each of them.
struct StageSummary {
    int32_t player_starts = 0;
    int32_t doors = 0;
    int32_t coins = 0;
    // The first problem `vorne1.0 --check` lists for the stage alone, in its
    // words without "stage N, line L"; empty when it finds nothing.
    std::string problem;
    // The stage's row (1 = first) the problem is on; 0 when it is about the
    // stage as a whole or its count line.
    int32_t problem_row = 0;
    // The game refuses the stage at the problem (it would not play the file).
    bool refused = false;

    bool has_player_start() const { return player_starts > 0; }
    bool has_door() const { return doors > 0; }
    bool ready() const { return problem.empty(); }

    bool operator==(const StageSummary&) const = default;
};

StageSummary summarize_stage(const StageModel& model);

}  // namespace vorne::editor
