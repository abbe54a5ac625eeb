#include "game/player/player.h"

#include <cstdlib>

#include "game/player/probes.h"
#include "game/world/scroll.h"

namespace vorne {
namespace {

// Every move of the step is trial and undo: move by player_step, probe, and on
// a block take back exactly what was moved (player, world and backdrop).
void move(World& w, int32_t mode, int32_t delta) {
    shift_positions(w, mode, delta);
}

void snap_to_ladder(World& w, int32_t ladder) {
    w.player_rect.left = w.ladder_table[ladder].left;
    w.player_rect.right = w.player_rect.left + cell_size;
}

void next_walk_frame(World& w) {
    ++w.player_frame;
    if (w.player_frame == 4) w.player_frame = 0;
}

void next_ladder_frame(World& w) {
    w.player_frame = w.player_frame == 0 ? 1 : 0;
}

// Returns true when the player is held up. Without support the player falls
// by player_step, or the world rises instead while the player is below the
// middle of the view and the stage goes on below it.
bool fall_step(World& w) {
    move(w, shift_player_y, player_step);
    if (support_probe(w, w.player_rect)) {
        w.player_airborne = 0;
        move(w, shift_player_y, -player_step);
        return true;
    }
    w.player_pose = pose_fall;
    w.player_frame = 0;
    w.player_airborne = 1;
    if (w.player_rect.bottom > scroll_line && wall_at(w, w.wall_count).bottom > view_size) {
        move(w, shift_all_y, -player_step);
        w.backdrop_y -= backdrop_step;
    }
    return false;
}

// Returns false when the walk is blocked, which ends the step. The player
// moves while its left is at most 100; past that the world moves left while
// the stage's right edge is beyond the view.
bool walk_right(World& w) {
    move(w, shift_player_x, player_step);
    if (solid_probe(w, w.player_rect)) {
        move(w, shift_player_x, -player_step);
        w.player_pose = pose_walk_right;
        w.player_frame = 0;
        return false;
    }
    move(w, shift_player_x, -player_step);
    if (w.player_rect.left <= scroll_line) {
        move(w, shift_player_x, player_step);
    } else if (wall_at(w, w.row_length).right > view_size) {
        move(w, shift_world_x, -player_step);
        w.backdrop_x -= backdrop_step;
    } else {
        move(w, shift_player_x, player_step);
    }
    w.player_pose = pose_walk_right;
    next_walk_frame(w);
    return true;
}

// Not the mirror image of walk_right: the player moves while its left is above
// 100, so walking left stops the player at 100 where walking right stops it
// at 105.
bool walk_left(World& w) {
    move(w, shift_player_x, -player_step);
    if (solid_probe(w, w.player_rect)) {
        move(w, shift_player_x, player_step);
        w.player_pose = pose_walk_left;
        w.player_frame = 0;
        return false;
    }
    move(w, shift_player_x, player_step);
    if (w.player_rect.left > scroll_line) {
        move(w, shift_player_x, -player_step);
    } else if (wall_at(w, 1).left < 0) {
        move(w, shift_world_x, player_step);
        w.backdrop_x += backdrop_step;
    } else {
        move(w, shift_player_x, -player_step);
    }
    w.player_pose = pose_walk_left;
    next_walk_frame(w);
    return true;
}

// Returns false when no ladder is below the player (the move is taken back and
// the step goes on to the idle pose); true ends the step.
bool climb_down(World& w) {
    move(w, shift_player_y, player_step);
    const int32_t ladder = ladder_search(w, w.player_rect);
    if (ladder == 0) {
        move(w, shift_player_y, -player_step);
        return false;
    }
    w.player_pose = pose_ladder;
    next_ladder_frame(w);
    if (w.player_rect.bottom <= scroll_line) {
        // The snap stays even when the move is taken back.
        snap_to_ladder(w, ladder);
        if (solid_probe(w, w.player_rect)) {
            move(w, shift_player_y, -player_step);
            w.player_frame = 0;
        }
    } else if (wall_at(w, w.wall_count).bottom > view_size) {
        // The world rises instead; the player keeps its place in the view.
        move(w, shift_world_y, -player_step);
        w.backdrop_y -= backdrop_step;
        move(w, shift_player_y, -player_step);
        if (solid_probe(w, w.player_rect)) {
            move(w, shift_world_y, player_step);
            w.player_frame = 0;
            w.backdrop_y += backdrop_step;
        } else {
            snap_to_ladder(w, ladder);
        }
    } else if (solid_probe(w, w.player_rect)) {
        w.player_frame = 0;
        move(w, shift_player_y, -player_step);
    } else {
        snap_to_ladder(w, ladder);
    }
    return true;
}

// Ends the step whether or not a ladder was found.
void climb_up(World& w) {
    const int32_t ladder = ladder_search(w, w.player_rect);
    if (ladder == 0) return;  // pose and frame stay as they are
    move(w, shift_player_y, -player_step);
    w.player_pose = pose_ladder;
    next_ladder_frame(w);
    if (w.player_rect.top > scroll_line) {
        snap_to_ladder(w, ladder);
        if (solid_probe(w, w.player_rect)) {
            w.player_frame = 0;
            move(w, shift_player_y, player_step);
        }
    } else if (wall_at(w, 1).top < 0) {
        move(w, shift_world_y, player_step);
        w.backdrop_y += backdrop_step;
        move(w, shift_player_y, player_step);
        if (solid_probe(w, w.player_rect)) {
            move(w, shift_world_y, -player_step);
            w.player_frame = 0;
            w.backdrop_y -= backdrop_step;
        } else {
            snap_to_ladder(w, ladder);
        }
    } else if (wall_probe(w, w.player_rect)) {
        // With the top of the stage in view only walls stop the climb; a
        // closed lock above does not.
        w.player_frame = 0;
        move(w, shift_player_y, player_step);
    } else {
        snap_to_ladder(w, ladder);
    }
}

void idle_pose(World& w) {
    w.player_pose = ladder_search(w, w.player_rect) != 0 ? pose_ladder : pose_stand;
    w.player_frame = 0;
}

}  // namespace

void step_player(World& w) {
    if (w.player_pose == pose_dying) return;
    // A falling player can neither walk nor climb.
    if (!fall_step(w)) return;
    // Held diagonally, the walk moves first and the climb tests the new place.
    if (w.stick_x == 1) {
        if (!walk_right(w)) return;
    } else if (w.stick_x == -1) {
        if (!walk_left(w)) return;
    }
    if (w.stick_y == 1) {
        if (climb_down(w)) return;
    } else if (w.stick_y == -1) {
        climb_up(w);
        return;
    }
    if (w.stick_x == 0) idle_pose(w);
}

void wrap_backdrop(World& w) {
    if (std::abs(w.backdrop_x) == 100) w.backdrop_x = 0;
    if (std::abs(w.backdrop_y) == 100) w.backdrop_y = 0;
}

void step_dying(World& w) {
    if (w.player_pose != pose_dying) return;
    ++w.player_frame;
    if (w.player_frame == dying_frames) w.game_state = state_miss;
}

}  // namespace vorne
