// Writing recorded input in the headless runner's format (inputs.h reads it):
// comment lines first, then one line per run of equal ticks.
#pragma once

#include <string>
#include <vector>

#include "game/shell/inputs.h"

namespace vorne {

// Adjacent steps with the same stick and buttons become one step whose count
// is the sum of theirs.
std::vector<InputStep> merge_steps(const std::vector<InputStep>& steps);

// The text of an inputs file: each header line as a comment ("# " before it;
// a line break inside a header line starts another comment line), then the
// merged steps as "[N*]SX SY B" lines, a count of 1 without its prefix.
std::string format_inputs(const std::vector<std::string>& header,
                          const std::vector<InputStep>& steps);

}  // namespace vorne
