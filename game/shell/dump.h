// The headless runner's dumps of the world model.
#pragma once

#include <string>

namespace vorne {

struct World;

// The whole world model as one JSON object (without a line end).
std::string dump_world(const World& world);

}  // namespace vorne
