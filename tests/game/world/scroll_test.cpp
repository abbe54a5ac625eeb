#include "game/world/scroll.h"

#include <gtest/gtest.h>

#include "tests/game/world/stages.h"

namespace vorne {
namespace {

using test::built;
using test::framed;
using test::put;

// Horizontal placement ------------------------------------------------------

TEST(PlaceCamera, NarrowStageWithPlayerLeftOfMiddleStaysPut) {
    // Walls in columns 1..9, player in column 4: dist_left 80, dist_right 80.
    auto w = built(framed(9, 4, 4, 2));
    EXPECT_EQ(w->wall_table[1].left, 20);
    EXPECT_EQ(w->player_rect.left, 80);
}

TEST(PlaceCamera, PlayerNearTheRightEdgeAlignsTheStageRight) {
    // Player in column 5: dist_left 100, dist_right 60.
    auto w = built(framed(9, 4, 5, 2));
    EXPECT_EQ(w->wall_table[w->wall_count].right, 200);
    EXPECT_EQ(w->wall_table[9].right, 200);
    EXPECT_EQ(w->player_rect.left, 100);
    // A stage 12 wide shows the move: player in column 9, dist_right 40.
    auto wider = built(framed(12, 4, 9, 2));
    EXPECT_EQ(wider->wall_table[wider->wall_count].right, 200);
    EXPECT_EQ(wider->player_rect.left, 120);
}

TEST(PlaceCamera, DistLeftOfExactly100AlignsLeftInsteadOfCentring) {
    // Player in column 5 of a wide stage: dist_left is exactly 100.
    auto w = built(framed(30, 4, 5, 2));
    EXPECT_EQ(w->wall_table[1].left, 0);
    EXPECT_EQ(w->player_rect.left, 80);
}

TEST(PlaceCamera, PlayerFarFromBothEdgesIsCentred) {
    auto w = built(framed(30, 4, 6, 2));  // dist_left 120
    EXPECT_EQ(w->player_rect.left, 100);
    EXPECT_EQ(w->wall_table[1].left, 0);
    auto wide = built(framed(30, 4, 17, 2));
    EXPECT_EQ(wide->player_rect.left, 100);
    EXPECT_EQ(wide->wall_table[1].left, 100 - 16 * 20);
}

TEST(PlaceCamera, PlayerNearTheRightEdgeOfAWideStage) {
    auto w = built(framed(30, 4, 27, 2));  // dist_right 40
    EXPECT_EQ(w->wall_table[w->wall_count].right, 200);
    EXPECT_EQ(w->wall_table[30].right, 200);
    EXPECT_EQ(w->player_rect.left, 200 - 4 * 20);
}

// Vertical placement --------------------------------------------------------

TEST(PlaceCamera, DistUpOfExactly100CentresVertically) {
    // Player in row 6: dist_up is exactly 100 and vertical centring needs only that.
    auto w = built(framed(5, 20, 2, 6));
    EXPECT_EQ(w->player_rect.top, 100);
    EXPECT_EQ(w->wall_table[1].top, 0);
}

TEST(PlaceCamera, PlayerNearTheTopAlignsTheFirstWallAtZero) {
    auto w = built(framed(5, 20, 2, 3));
    EXPECT_EQ(w->wall_table[1].top, 0);
    EXPECT_EQ(w->player_rect.top, 40);
}

TEST(PlaceCamera, PlayerNearTheBottomAlignsTheLastWallAt200) {
    auto w = built(framed(5, 20, 2, 18));
    EXPECT_EQ(w->wall_table[w->wall_count].bottom, 200);
    EXPECT_EQ(w->player_rect.top, 200 - 3 * 20);
}

TEST(PlaceCamera, PlayerInTheMiddleOfATallStageIsCentred) {
    auto w = built(framed(5, 20, 2, 10));
    EXPECT_EQ(w->player_rect.top, 100);
    EXPECT_EQ(w->wall_table[1].top, 100 - 9 * 20);
}

TEST(PlaceCamera, SlotPastTheLastEntryLandsAtCellZeroZero) {
    // Tables whose counters stay one above: their zero slot moves like an entry.
    test::Rows rows = framed(30, 20, 17, 10);
    put(rows, 3, 3, 'k');
    auto w = built(rows);
    const int32_t dx = w->wall_table[1].left - 20;
    const int32_t dy = w->wall_table[1].top - 20;
    ASSERT_NE(dx, 0);
    ASSERT_NE(dy, 0);
    const Rect cell_zero{dx, dy, dx + 20, dy + 20};
    EXPECT_EQ(w->key1_count, 2);
    EXPECT_EQ(w->key1_table[2], cell_zero);
    EXPECT_EQ(w->lock2_table[1], cell_zero);
    EXPECT_EQ(w->enemy_i_table[1], cell_zero);
    // The four tables that count entries leave theirs alone.
    EXPECT_EQ(w->coin_table[1], Rect{});
    EXPECT_EQ(w->enemy_g_table[1], Rect{});

    // A rebuild re-places entries only: the slot keeps where the scroll put it
    // and is moved once more by the new placement.
    shift_positions(*w, shift_world_x, -5);
    const Rect slot_before = w->lock2_table[1];
    reset_counters(*w);
    rebuild_stage(*w);
    place_camera(*w);
    EXPECT_EQ(w->wall_table[1].left, 20 + dx);  // the same placement again
    EXPECT_EQ(w->lock2_table[1], (Rect{slot_before.left + dx, slot_before.top + dy,
                                       slot_before.left + dx + 20, slot_before.top + dy + 20}));
}

// shift_positions -------------------------------------------------------------

struct Snapshot {
    Rect player, wall, door, power, enemy_h, player_shot, enemy_shot, idle_enemy_shot;
};

class ShiftPositions : public ::testing::Test {
  protected:
    void SetUp() override {
        w = test::title_world();
        w->player_rect = Rect{100, 100, 120, 120};
        w->wall_table[1] = Rect{0, 0, 20, 20};
        w->wall_count = 1;
        w->door_rect = Rect{40, 40, 60, 60};
        w->power_item_rect = Rect{60, 40, 80, 60};
        w->enemy_h_table[1] = Rect{80, 80, 100, 100};
        w->enemy_h_count = 2;
        w->player_shot_rect = Rect{120, 100, 140, 120};
        w->player_shot_active = 1;
        w->enemy_i_count = 3;
        w->enemy_shot_table[1] = Rect{10, 10, 30, 30};
        w->enemy_i_state[1].enemy_shot_active = 1;
        w->enemy_shot_table[2] = Rect{50, 50, 70, 70};  // not in flight
    }
    Snapshot snap() const {
        return {w->player_rect,         w->wall_table[1],      w->door_rect,
                w->power_item_rect,     w->enemy_h_table[1],   w->player_shot_rect,
                w->enemy_shot_table[1], w->enemy_shot_table[2]};
    }
    std::unique_ptr<World> w;
};

Rect moved(Rect r, int32_t dx, int32_t dy) {
    return Rect{r.left + dx, r.top + dy, r.left + dx + 20, r.top + dy + 20};
}

TEST_F(ShiftPositions, EachModeMovesItsOwnObjects) {
    struct Case {
        int32_t mode;
        bool player_x, player_y, world_x, world_y, shots_y;
    };
    const Case cases[] = {
        {1, true, false, true, false, false},  {2, false, true, false, true, true},
        {3, true, false, false, false, false}, {4, false, true, false, false, false},
        {5, false, false, true, false, false}, {6, false, false, false, true, true},
    };
    for (const Case& c : cases) {
        SetUp();
        const Snapshot before = snap();
        shift_positions(*w, c.mode, 5);
        const Snapshot after = snap();
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        const int32_t px = c.player_x ? 5 : 0, py = c.player_y ? 5 : 0;
        const int32_t wx = c.world_x ? 5 : 0, wy = c.world_y ? 5 : 0;
        const int32_t sy = c.shots_y ? 5 : 0;
        EXPECT_EQ(after.player, moved(before.player, px, py));
        EXPECT_EQ(after.wall, moved(before.wall, wx, wy));
        EXPECT_EQ(after.door, moved(before.door, wx, wy));
        EXPECT_EQ(after.power, moved(before.power, wx, wy));
        EXPECT_EQ(after.enemy_h, moved(before.enemy_h, wx, wy));
        // Shots in flight follow vertical scrolling only, never horizontal.
        EXPECT_EQ(after.player_shot, moved(before.player_shot, 0, sy));
        EXPECT_EQ(after.enemy_shot, moved(before.enemy_shot, 0, sy));
        EXPECT_EQ(after.idle_enemy_shot, before.idle_enemy_shot);
    }
}

TEST_F(ShiftPositions, InactivePlayerShotAndUnknownModesDoNotMove) {
    w->player_shot_active = 0;
    shift_positions(*w, shift_all_y, -5);
    EXPECT_EQ(w->player_shot_rect, (Rect{120, 100, 140, 120}));
    const Snapshot before = snap();
    shift_positions(*w, 0, 5);
    shift_positions(*w, 7, 5);
    const Snapshot after = snap();
    EXPECT_EQ(after.player, before.player);
    EXPECT_EQ(after.wall, before.wall);
}

TEST_F(ShiftPositions, RightAndBottomAreRecomputedFromTheMovedEdges) {
    w->wall_table[1] = Rect{empty_marker, 0, 0, 0};
    shift_positions(*w, shift_world_x, 5);
    EXPECT_EQ(w->wall_table[1], (Rect{empty_marker + 5, 0, empty_marker + 25, 0}));
    shift_positions(*w, shift_world_y, -5);
    EXPECT_EQ(w->wall_table[1], (Rect{empty_marker + 5, -5, empty_marker + 25, 15}));
}

TEST_F(ShiftPositions, VisitsTheSlotPastTheCounterButNeverPastACapacity) {
    // Full tables: counters one past capacity. Loops stop at the capacity;
    // the enemy rectangle tables have room beyond their 400 states.
    w->wall_count = table_capacity + 1;
    w->enemy_g_count = enemy_state_capacity + 1;
    w->enemy_i_count = enemy_state_capacity + 1;
    w->enemy_i_state[enemy_state_capacity].enemy_shot_active = 1;
    shift_positions(*w, shift_all_x, 5);
    shift_positions(*w, shift_all_y, 5);
    EXPECT_EQ(w->wall_table[table_capacity], (Rect{5, 5, 25, 25}));
    EXPECT_EQ(w->enemy_g_table[enemy_state_capacity + 1], (Rect{5, 5, 25, 25}));
    EXPECT_EQ(w->enemy_g_table[enemy_state_capacity + 2], Rect{});
    EXPECT_EQ(w->enemy_shot_table[enemy_shot_capacity], (Rect{0, 5, 0, 25}));
    w->wall_count = -5;  // nothing to walk
    shift_positions(*w, shift_all_x, 5);
    EXPECT_EQ(w->wall_table[1], (Rect{5, 5, 25, 25}));
}

}  // namespace
}  // namespace vorne
