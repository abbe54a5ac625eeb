#include "game/render/play_frame.h"

#include "game/shell/game.h"

namespace vorne {

void draw_play_frame(Game& /*game*/) {
    // Not built yet: the window image keeps its last picture.
}

}  // namespace vorne
