#include <gtest/gtest.h>

#include <string>

#include "game/actors/actors.h"
#include "tests/support/stage_text.h"

namespace vorne {
namespace {

using test::at;
using test::cell;
using test::stage;

void steps(World& w, EnemyKind kind, int ticks) {
    for (int t = 0; t < ticks; ++t)
        step_enemies(w, kind);
}

// An enemy of the letter at column 2 of row 3 above the given floor row of an
// 8-wide stage; the player stands aside so that the camera leaves every cell
// where the builder put it.
std::unique_ptr<World> on_floor(char letter, std::string floor) {
    std::string row3 = "azzzzzza";
    row3[1] = letter;
    return stage({"aaaaaaaa", "azzzzzza", row3, floor, "azbzzzza", "aaaaaaaa"});
}

TEST(StepEnemies, AKindWithNoEnemyIsNotStepped) {
    auto w = on_floor('g', "aaaaaaaa");
    ASSERT_EQ(w->enemy_h_table[2].left, empty_marker);
    const auto table = w->enemy_h_table;
    steps(*w, EnemyKind::h, 3);
    EXPECT_EQ(w->enemy_h_table, table);
    EXPECT_EQ(w->enemy_h_state[1].enemy_pose, 0);  // its empty entry 1 is left alone too
}

TEST(StepEnemies, EnemiesTurnAtAFloorsEndOverhangingBy20MinusTheirSpeed) {
    // The last floor wall covers 80..100.
    auto g = on_floor('g', "aaaazzza");
    steps(*g, EnemyKind::g, 11);
    EXPECT_EQ(g->enemy_g_table[1], at(95, 60));
    EXPECT_EQ(g->enemy_g_state[1].enemy_pose, 3);
    EXPECT_EQ(g->enemy_g_state[1].enemy_frame, 3);
    steps(*g, EnemyKind::g, 1);
    EXPECT_EQ(g->enemy_g_table[1], at(95, 60));  // turned in place
    EXPECT_EQ(g->enemy_g_state[1].enemy_pose, 2);
    EXPECT_EQ(g->enemy_g_state[1].enemy_frame, 0);
    steps(*g, EnemyKind::g, 1);
    EXPECT_EQ(g->enemy_g_table[1], at(90, 60));

    auto h = on_floor('h', "aaaazzza");
    steps(*h, EnemyKind::h, 6);
    EXPECT_EQ(h->enemy_h_table[1], at(90, 60));
    EXPECT_EQ(h->enemy_h_state[1].enemy_pose, 2);
}

TEST(StepEnemies, ALockInTheFloorIsAGapAndLadderCellsCarry) {
    auto lock = on_floor('j', "aaaalaaa");
    steps(*lock, EnemyKind::j, 12);
    EXPECT_EQ(lock->enemy_j_table[1], at(95, 60));
    EXPECT_EQ(lock->enemy_j_state[1].enemy_pose, 2);

    // A ladder cell ending the floor carries the enemy over its whole width.
    auto ladder = on_floor('i', "aaaaczza");
    steps(*ladder, EnemyKind::i, 16);
    EXPECT_EQ(ladder->enemy_i_table[1], at(115, 60));
    EXPECT_EQ(ladder->enemy_i_state[1].enemy_pose, 2);
}

TEST(StepEnemies, AnEnemyWithNothingUnderItTurnsOnTheSpotForEver) {
    auto w = stage({"aaaaaaa", "azzgzza", "azzzzza", "azbzzza", "aaaaaaa"});
    for (int32_t pose : {2, 3, 2}) {
        step_enemies(*w, EnemyKind::g);
        EXPECT_EQ(w->enemy_g_table[1], cell(4, 2));
        EXPECT_EQ(w->enemy_g_state[1].enemy_pose, pose);
        EXPECT_EQ(w->enemy_g_state[1].enemy_frame, 0);
    }
}

TEST(StepEnemies, AWallOnTheRightTurnsTheFirstStepInPlace) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbzzha", "aaaaaaa"});
    const Rect start = w->enemy_h_table[1];
    step_enemies(*w, EnemyKind::h);
    EXPECT_EQ(w->enemy_h_table[1], start);
    EXPECT_EQ(w->enemy_h_state[1].enemy_pose, 2);
    step_enemies(*w, EnemyKind::h);
    EXPECT_EQ(w->enemy_h_table[1], at(start.left - 10, start.top));
    EXPECT_EQ(w->enemy_h_state[1].enemy_frame, 1);
}

TEST(StepEnemies, AClosedLockTurnsEnemiesAndAnOpenedOneLetsThemThrough) {
    const auto with_lock = [] {
        return stage({"aaaaaaaa", "azzzzzza", "agzzlzza", "aaaaaaaa", "azbzzzza", "aaaaaaaa"});
    };
    auto closed = with_lock();
    closed->keys1_held = 3;  // keys do not open locks for enemies
    steps(*closed, EnemyKind::g, 9);
    EXPECT_EQ(closed->enemy_g_table[1], at(80, 60));
    EXPECT_EQ(closed->enemy_g_state[1].enemy_pose, 2);

    auto opened = with_lock();
    opened->lock1_opened[1] = 1;
    steps(*opened, EnemyKind::g, 9);
    EXPECT_EQ(opened->enemy_g_table[1], at(85, 60));
    EXPECT_EQ(opened->enemy_g_state[1].enemy_pose, 3);
}

TEST(StepEnemies, AShotDownEnemyStaysWhereItWasHit) {
    auto w = on_floor('g', "aaaaaaaa");
    step_enemies(*w, EnemyKind::g);
    w->enemy_g_state[1].enemy_pose = 6;
    w->enemy_g_state[1].enemy_frame = 9;
    steps(*w, EnemyKind::g, 3);
    EXPECT_EQ(w->enemy_g_table[1], at(45, 60));
    EXPECT_EQ(w->enemy_g_state[1].enemy_frame, 9);
}

TEST(StepEnemies, TheSlotPastTheLastEntryIsSteppedLikeAnEntry) {
    // Kind g's counter counts its entries; kind h's stays one above. The
    // camera moves this stage, and with it the slot, to the cell above and
    // left of the stage's top-left wall. The empty slots past the last lock of
    // each kind lie in that same cell, closed, and hem it in.
    const auto scrolled = [] {
        return stage({"aaaaaaaaaaaaaaaa", "azzzzzzzbzzzzzza", "azzgzzzzzzzzzhza",
                      "aaaaaaaaaaaaaaaa", "azzzzzzzzzzzzzza", "azzzzzzzzzzzzzza",
                      "azzzzzzzzzzzzzza", "aaaaaaaaaaaaaaaa"});
    };
    auto w = scrolled();
    ASSERT_EQ(w->enemy_g_count, 1);
    ASSERT_EQ(w->enemy_h_count, 2);
    const Rect corner = w->wall_table[1];
    const Rect slot = at(corner.left - 20, corner.top - 20);
    ASSERT_EQ(w->enemy_h_table[2], slot);
    ASSERT_EQ(w->lock1_table[1], slot);
    w->enemy_g_state[2].enemy_pose = 3;
    step_enemies(*w, EnemyKind::g);
    step_enemies(*w, EnemyKind::h);
    EXPECT_EQ(w->enemy_g_table[2], Rect{});  // past kind g's last entry: untouched
    EXPECT_EQ(w->enemy_h_table[2], slot);
    EXPECT_EQ(w->enemy_h_state[2].enemy_pose, 2);

    // With those lock slots open, it walks along the top of the top row.
    auto open = scrolled();
    open->lock1_opened[1] = 1;
    open->lock2_opened[1] = 1;
    step_enemies(*open, EnemyKind::h);
    EXPECT_EQ(open->enemy_h_table[2], at(slot.left + 10, slot.top));
    EXPECT_EQ(open->enemy_h_state[2].enemy_pose, 3);

    // Before any scroll the slot has no size: it touches nothing and turns.
    auto still = on_floor('h', "aaaaaaaa");
    ASSERT_EQ(still->enemy_h_table[2], Rect{});
    step_enemies(*still, EnemyKind::h);
    EXPECT_EQ(still->enemy_h_state[2].enemy_pose, 2);
    EXPECT_EQ(still->enemy_h_table[2], Rect{});
}

}  // namespace
}  // namespace vorne
