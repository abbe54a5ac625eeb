#include "game/player/player.h"

#include <gtest/gtest.h>

#include "tests/support/stage_text.h"

namespace vorne {
namespace {

using test::at;
using test::cell;
using test::stage;

// Runs ticks of the player step with the stick held.
void hold(World& w, int ticks, int16_t x, int16_t y) {
    w.stick_x = x;
    w.stick_y = y;
    for (int t = 0; t < ticks; ++t)
        step_player(w);
}

// Standing and falling ---------------------------------------------------------

TEST(StepPlayer, StandsStillOnAFloor) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbzzza", "aaaaaaa"});
    w->player_pose = pose_walk_right;
    w->player_frame = 2;
    hold(*w, 3, 0, 0);
    EXPECT_EQ(w->player_rect, cell(3, 3));
    EXPECT_EQ(w->player_airborne, 0);
    EXPECT_EQ(w->player_pose, pose_stand);
    EXPECT_EQ(w->player_frame, 0);
}

TEST(StepPlayer, WalksOffALedgeAndFallsWithoutControl) {
    auto w = stage({"aaaaaaaa",  //
                    "azzzzzza",  //
                    "azbzzzza",  //
                    "aaaazzza",  // the floor ends at x = 100
                    "azzzzzza",  //
                    "aaaaaaaa"});
    hold(*w, 8, 1, 0);  // left 60 -> 100: held while any part is over the floor
    EXPECT_EQ(w->player_rect, at(100, 60));
    EXPECT_EQ(w->player_pose, pose_walk_right);
    EXPECT_EQ(w->player_frame, 0);  // 8 steps: 1, 2, 3, 0, 1, 2, 3, 0
    hold(*w, 1, 1, 0);
    EXPECT_EQ(w->player_rect, at(100, 65));  // the stick is ignored
    EXPECT_EQ(w->player_pose, pose_fall);
    EXPECT_EQ(w->player_airborne, 1);
    hold(*w, 7, -1, 0);
    EXPECT_EQ(w->player_rect, at(100, 100));  // on the floor at 120
    // Landing leaves the pose alone; up away from a ladder changes nothing.
    hold(*w, 2, 0, -1);
    EXPECT_EQ(w->player_rect, at(100, 100));
    EXPECT_EQ(w->player_airborne, 0);
    EXPECT_EQ(w->player_pose, pose_fall);
    hold(*w, 1, 0, 0);
    EXPECT_EQ(w->player_pose, pose_stand);
}

TEST(StepPlayer, FallingBelowTheMiddleRaisesTheWorldUntilTheFloorIsInView) {
    // The player starts centred with 36 ticks of stage below the view.
    auto w = stage({"aaaaa", "azzza", "azzza", "azzza", "azzza", "abzza", "azzza",
                    "azzza", "azzza", "azzza", "azzza", "azzza", "azzza", "azzza",
                    "azzza", "azzza", "azzza", "azzza", "azzza", "aaaaa"});
    ASSERT_EQ(w->player_rect.top, 100);
    const int32_t bottom = w->wall_table[w->wall_count].bottom;
    hold(*w, 1, 0, 0);
    EXPECT_EQ(w->player_rect.top, 100);
    EXPECT_EQ(w->wall_table[w->wall_count].bottom, bottom - 5);
    EXPECT_EQ(w->backdrop_y, -2);
    hold(*w, (bottom - 200) / 5 - 1, 0, 0);
    EXPECT_EQ(w->player_rect.top, 100);
    EXPECT_EQ(w->wall_table[w->wall_count].bottom, 200);
    hold(*w, 1, 0, 0);
    EXPECT_EQ(w->player_rect.top, 105);  // now the player falls down the view
    hold(*w, 20, 0, 0);
    EXPECT_EQ(w->player_rect.bottom, 180);
    EXPECT_EQ(w->player_airborne, 0);
    EXPECT_EQ(w->backdrop_y, -2 * (bottom - 200) / 5);
}

TEST(StepPlayer, AClosedLockHoldsThePlayerOnlyWithoutAKey) {
    const auto on_lock = [] { return stage({"aaaaaaa", "azzzzza", "azbzzza", "aalaaaa"}); };
    auto w = on_lock();
    hold(*w, 1, 0, 0);
    EXPECT_EQ(w->player_rect, cell(3, 3));
    EXPECT_EQ(w->player_airborne, 0);

    auto with_key = on_lock();
    with_key->keys1_held = 1;
    hold(*with_key, 1, 0, 0);
    EXPECT_EQ(with_key->player_rect, at(60, 65));
    EXPECT_EQ(with_key->player_pose, pose_fall);

    auto opened = on_lock();
    opened->lock1_opened[1] = 1;
    hold(*opened, 1, 0, 0);
    EXPECT_EQ(opened->player_rect, at(60, 65));
}

TEST(StepPlayer, DoesNothingAtAllWhileDying) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbzzza", "azzzzza", "aaaaaaa"});
    w->player_rect = at(60, 50);  // in mid air
    w->player_pose = pose_dying;
    w->player_frame = 7;
    w->hit_flag = 5;
    const Rect start = w->player_rect;
    const auto walls = w->wall_table;
    hold(*w, 3, 1, 1);
    EXPECT_EQ(w->player_rect, start);
    EXPECT_EQ(w->player_frame, 7);
    EXPECT_EQ(w->player_airborne, 0);
    EXPECT_EQ(w->hit_flag, 5);
    EXPECT_EQ(w->wall_table, walls);
}

// Walking ----------------------------------------------------------------------

TEST(StepPlayer, WalkingRightStopsThePlayerAt105AndWalkingLeftAt100) {
    auto w = stage({"aaaaaaaaaaaaaaaaaaaa",  //
                    "azzzzzzzzzzzzzzzzzza",  //
                    "abzzzzzzzzzzzzzzzzza",  //
                    "aaaaaaaaaaaaaaaaaaaa"});
    ASSERT_EQ(w->wall_table[1].left, 0);
    ASSERT_EQ(w->player_rect.left, 20);
    hold(*w, 17, 1, 0);
    EXPECT_EQ(w->player_rect.left, 105);  // moved while its left was at most 100
    EXPECT_EQ(w->wall_table[1].left, 0);
    hold(*w, 1, 1, 0);
    EXPECT_EQ(w->player_rect.left, 105);
    EXPECT_EQ(w->wall_table[1].left, -5);
    EXPECT_EQ(w->backdrop_x, -2);
    // The world moves until the stage's right edge reaches the view's.
    hold(*w, 39, 1, 0);
    EXPECT_EQ(w->wall_table[w->row_length].right, 200);
    EXPECT_EQ(w->player_rect.left, 105);
    hold(*w, 20, 1, 0);
    EXPECT_EQ(w->player_rect.left, 160);  // against the right wall
    EXPECT_EQ(w->player_pose, pose_walk_right);
    EXPECT_EQ(w->player_frame, 0);
    EXPECT_EQ(w->backdrop_x, -80);

    hold(*w, 12, -1, 0);
    EXPECT_EQ(w->player_rect.left, 100);  // moved while its left was above 100
    EXPECT_EQ(w->wall_table[1].left, -200);
    hold(*w, 40, -1, 0);
    EXPECT_EQ(w->player_rect.left, 100);
    EXPECT_EQ(w->wall_table[1].left, 0);
    EXPECT_EQ(w->backdrop_x, 0);
    hold(*w, 20, -1, 0);
    EXPECT_EQ(w->player_rect.left, 20);  // with the left edge in view, the player walks on
    EXPECT_EQ(w->wall_table[1].left, 0);
    EXPECT_EQ(w->player_pose, pose_walk_left);
}

TEST(StepPlayer, AWallAheadBlocksTheWalkAndTheClimbOfTheSameTick) {
    auto blocked = stage({"aaaaaaa", "azzzzza", "azzzzba", "aaaaaca", "aaaaaaa"});
    const Rect start = blocked->player_rect;
    blocked->player_frame = 2;
    hold(*blocked, 1, 1, 1);
    EXPECT_EQ(blocked->player_rect, start);
    EXPECT_EQ(blocked->player_pose, pose_walk_right);
    EXPECT_EQ(blocked->player_frame, 0);

    // Without the walk, down climbs into the ladder below.
    hold(*blocked, 1, 0, 1);
    EXPECT_EQ(blocked->player_rect.top, start.top + 5);
    EXPECT_EQ(blocked->player_pose, pose_ladder);
}

TEST(StepPlayer, AClosedKind2LockBlocksTheWalkUnlessAKeyIsHeld) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbnzza", "aaaaaaa"});
    hold(*w, 1, 1, 0);
    EXPECT_EQ(w->player_rect, cell(3, 3));
    EXPECT_EQ(w->player_frame, 0);
    w->keys2_held = 1;
    hold(*w, 1, 1, 0);
    EXPECT_EQ(w->player_rect, at(65, 60));
    EXPECT_EQ(w->player_frame, 1);
}

// Climbing ---------------------------------------------------------------------

TEST(StepPlayer, ClimbsDownFromALadderTopToItsFootOnAWall) {
    auto w = stage({"aaaaaaa",  //
                    "azzzzza",  //
                    "azbzzza",  //
                    "aacaaaa",  // the ladder passes through the floor
                    "azczzza",  //
                    "aaaaaaa"});
    int32_t expected_frame = 0;
    for (int32_t top = 65; top <= 100; top += 5) {
        hold(*w, 1, 0, 1);
        expected_frame = expected_frame == 0 ? 1 : 0;
        EXPECT_EQ(w->player_rect, at(60, top));
        EXPECT_EQ(w->player_frame, expected_frame);
    }
    // At the foot, the wall below blocks: same place, still on the ladder.
    hold(*w, 1, 0, 1);
    EXPECT_EQ(w->player_rect, at(60, 100));
    EXPECT_EQ(w->player_pose, pose_ladder);
    EXPECT_EQ(w->player_frame, 0);
    // Idle on the ladder.
    hold(*w, 1, 0, 0);
    EXPECT_EQ(w->player_pose, pose_ladder);
}

TEST(StepPlayer, DownBesideALadderOutOfReachFallsBackToTheIdlePose) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbzzza", "aaaacaa"});
    w->player_pose = pose_walk_right;
    w->player_frame = 3;
    hold(*w, 1, 0, 1);
    EXPECT_EQ(w->player_rect, cell(3, 3));
    EXPECT_EQ(w->player_pose, pose_stand);
    EXPECT_EQ(w->player_frame, 0);
}

TEST(StepPlayer, TwoLaddersTouchedSnapsToTheLowerIndexAndABlockKeepsTheSnap) {
    // Ladder 1 is right of the player, ladder 2 below it; a diagonal tick
    // walks 5 right, then climbs down touching both.
    auto free = stage({"aaaaaaa", "azzbcza", "azzczza", "aaaaaaa"});
    hold(*free, 1, 1, 1);
    EXPECT_EQ(free->player_rect, at(100, 45));
    EXPECT_EQ(free->player_pose, pose_ladder);
    EXPECT_EQ(free->player_frame, 0);  // 1 from the walk, toggled by the climb

    // A wall under ladder 1: the down move is taken back, the snap stays.
    auto blocked = stage({"aaaaaaa", "azzbcza", "azzcaza", "aaaaaaa"});
    hold(*blocked, 1, 1, 1);
    EXPECT_EQ(blocked->player_rect, at(100, 40));
    EXPECT_EQ(blocked->player_frame, 0);
}

TEST(StepPlayer, ClimbingDownBelowTheMiddleRaisesTheWorld) {
    auto w = stage({"aaaaa", "azzza", "azzza", "azzza", "azzza", "azzza", "azzza",
                    "azbza", "azcza", "azcza", "azcza", "azcza", "azcza", "azcza",
                    "azcza", "azcza", "azcza", "azcza", "azcza", "aaaaa"});
    ASSERT_EQ(w->player_rect.top, 100);
    const Rect first_wall = w->wall_table[1];
    hold(*w, 1, 0, 1);
    EXPECT_EQ(w->player_rect.top, 100);
    EXPECT_EQ(w->wall_table[1].top, first_wall.top - 5);
    EXPECT_EQ(w->backdrop_y, -2);
    EXPECT_EQ(w->player_pose, pose_ladder);
    EXPECT_EQ(w->player_frame, 1);
}

TEST(StepPlayer, ABlockedClimbBelowTheMiddleTakesTheWorldBackButDoesNotSnap) {
    // The player stands on a floor with the ladder beside it; a diagonal
    // tick steps 5 right into the ladder and tries to go down through the floor.
    auto w = stage({"aaaaaaaaaaa", "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza",
                    "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza", "azzzzbczzza",
                    "aaaaaaaaaaa", "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza",
                    "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza", "azzzzzzzzza", "aaaaaaaaaaa"});
    ASSERT_EQ(w->player_rect.top, 100);
    ASSERT_GT(w->wall_table[w->wall_count].bottom, 200);
    const Rect start = w->player_rect;
    const auto walls = w->wall_table;
    hold(*w, 1, 1, 1);
    EXPECT_EQ(w->player_rect, at(start.left + 5, start.top));
    EXPECT_EQ(w->wall_table, walls);
    EXPECT_EQ(w->backdrop_y, 0);
    EXPECT_EQ(w->player_pose, pose_ladder);
    EXPECT_EQ(w->player_frame, 0);
}

TEST(StepPlayer, ClimbsUpToAWallAboveTheLadder) {
    auto w = stage({"aaaaaaa", "aaaaaaa", "azczzza", "azcbzza", "aaaaaaa"});
    hold(*w, 1, -1, -1);  // 5 left into the ladder, then up and snapped
    EXPECT_EQ(w->player_rect, at(60, 75));
    EXPECT_EQ(w->player_pose, pose_ladder);
    EXPECT_EQ(w->player_frame, 0);
    hold(*w, 3, 0, -1);
    EXPECT_EQ(w->player_rect, at(60, 60));
    EXPECT_EQ(w->player_frame, 1);
    hold(*w, 1, 0, -1);
    EXPECT_EQ(w->player_rect, at(60, 60));
    EXPECT_EQ(w->player_pose, pose_ladder);
    EXPECT_EQ(w->player_frame, 0);
}

TEST(StepPlayer, WithTheStageTopInViewOnlyWallsStopTheClimbUp) {
    auto w = stage({"aaaaaaa", "aalaaaa", "azczzza", "azcbzza", "aaaaaaa"});
    hold(*w, 1, -1, -1);
    hold(*w, 4, 0, -1);
    EXPECT_EQ(w->player_rect, at(60, 55));  // into the closed lock
    EXPECT_EQ(w->keys1_held, 0);
}

TEST(StepPlayer, UpAwayFromALadderChangesNothing) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbzcza", "aaaaaaa"});
    w->player_pose = pose_walk_left;
    w->player_frame = 2;
    hold(*w, 1, 0, -1);
    EXPECT_EQ(w->player_rect, cell(3, 3));
    EXPECT_EQ(w->player_pose, pose_walk_left);
    EXPECT_EQ(w->player_frame, 2);
}

}  // namespace
}  // namespace vorne
