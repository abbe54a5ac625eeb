// The headless runner's trace: one line of JSON for each tick.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne {

struct Game;

// One line of the trace for the tick just run (without its line end).
std::string trace_line(int64_t tick, const Game& game, const std::vector<int32_t>& sounds,
                       const std::vector<std::string>& music, const std::string& caption);

}  // namespace vorne
