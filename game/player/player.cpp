#include "game/player/player.h"

namespace vorne {

void step_player(World& /*world*/) {
    // Not built yet: the player stands still.
}

}  // namespace vorne
