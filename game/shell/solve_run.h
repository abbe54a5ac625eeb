// vorne1.0 --solve: finds an input that clears a stage, proves it by replaying
// it in the game as the headless runner does, and writes it as recorded input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/shell/inputs.h"
#include "game/shell/options.h"

namespace vorne {

// Plays the input on stage `stage` of the stage file as `--headless --map FILE
// --stage N --inputs` does; returns the tick on which the stage is cleared, or
// nullopt when it is not cleared while the input lasts.
std::optional<int64_t> replay_clear_tick(const std::string& map, int32_t stage,
                                         const std::vector<InputStep>& steps,
                                         const std::string& program_folder);

// The whole of --solve; returns the exit status (0 solved, 1 not, 2 bad file).
int run_solve(const Options& options, const std::string& program_folder);

}  // namespace vorne
