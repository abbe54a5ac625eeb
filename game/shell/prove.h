// Proofs that the stages of a stage file can be cleared: for FILE, the
// recordings FILE.proofs/stage-NN.txt, each made with --map FILE --stage NN
// (README "Proofs"), replayed headless.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "game/shell/inputs.h"

namespace vorne {

// Where the proof of a stage (1-based) of a stage file lies.
std::string proof_path(const std::string& stage_file, int32_t stage);

// How a replay of one stage from a fresh game (--stage) went.
struct StageReplay {
    enum class End { cleared, game_over, quit, played_out, refused } end = End::played_out;
    int64_t tick = 0;     // the tick it ended on (for cleared: the tick of the clear)
    int32_t misses = 0;   // lives lost before it ended
    std::string refusal;  // refused: the game's message about the file
};

// Replays steps on stage `stage` of map until the stage is cleared, the game
// is over or quit, or the steps and then `idle_ticks` ticks of no input have
// run out.
StageReplay replay_stage(const std::string& program_folder, const std::string& map, int32_t stage,
                         const std::vector<InputStep>& steps, int64_t idle_ticks);

// The ticks of no input a proof may take after its last line: room for a
// fall into the door.
inline constexpr int64_t proof_idle_ticks = 250;

// --prove: one line per stage and a summary on out; returns the exit status
// (0 every stage proven, 1 not, 2 the stage file cannot be read).
int run_prove(const std::string& stage_file, const std::string& program_folder, std::ostream& out,
              std::ostream& err);

}  // namespace vorne
