#include "game/world/builder.h"

#include <gtest/gtest.h>

#include "game/world/scroll.h"
#include "tests/game/world/stages.h"

namespace vorne {
namespace {

using test::built;
using test::framed;
using test::put;
using test::Rows;

Rect cell(int32_t c, int32_t r) {
    return Rect{c * 20, r * 20, c * 20 + 20, r * 20 + 20};
}

// A 7 x 5 stage (small enough that the camera leaves every cell in place)
// with one or more of every letter.
Rows every_letter() {
    Rows rows = {
        "aaaaaaa",  //
        "adkclma",  //
        "anbgihj",  //
        "adefgza",  //
        "aaaaaaa",
    };
    return rows;
}

TEST(BuildStage, FourCountersBecomeEntryCountsAndSevenStayOneAbove) {
    auto w = built(every_letter());
    EXPECT_EQ(w->wall_count, 19);  // row 3 ends in "j"
    EXPECT_EQ(w->ladder_count, 1);
    EXPECT_EQ(w->coin_count, 2);
    EXPECT_EQ(w->enemy_g_count, 2);
    EXPECT_EQ(w->key1_count, 2);
    EXPECT_EQ(w->lock1_count, 2);
    EXPECT_EQ(w->key2_count, 2);
    EXPECT_EQ(w->lock2_count, 2);
    EXPECT_EQ(w->enemy_h_count, 2);
    EXPECT_EQ(w->enemy_i_count, 2);
    EXPECT_EQ(w->enemy_j_count, 2);
    EXPECT_EQ(w->row_length, 7);
}

TEST(BuildStage, EntriesAreInReadingOrderAtTheirCells) {
    auto w = built(every_letter());
    EXPECT_EQ(w->wall_table[1], cell(1, 1));
    EXPECT_EQ(w->wall_table[7], cell(7, 1));
    EXPECT_EQ(w->wall_table[8], cell(1, 2));
    EXPECT_EQ(w->wall_table[19], cell(7, 5));
    EXPECT_EQ(w->coin_table[1], cell(2, 2));
    EXPECT_EQ(w->coin_table[2], cell(2, 4));
    EXPECT_EQ(w->ladder_table[1], cell(4, 2));
    EXPECT_EQ(w->key1_table[1], cell(3, 2));
    EXPECT_EQ(w->lock1_table[1], cell(5, 2));
    EXPECT_EQ(w->key2_table[1], cell(6, 2));
    EXPECT_EQ(w->lock2_table[1], cell(2, 3));
    EXPECT_EQ(w->player_rect, cell(3, 3));
    EXPECT_EQ(w->enemy_g_table[1], cell(4, 3));
    EXPECT_EQ(w->enemy_g_table[2], cell(5, 4));
    EXPECT_EQ(w->enemy_i_table[1], cell(5, 3));
    EXPECT_EQ(w->enemy_h_table[1], cell(6, 3));
    EXPECT_EQ(w->enemy_j_table[1], cell(7, 3));
    EXPECT_EQ(w->power_item_rect, cell(3, 4));
    EXPECT_EQ(w->door_rect, cell(4, 4));
    EXPECT_EQ(w->stage_grid[4][2].text(), "c");
    EXPECT_EQ(w->stage_grid[6][4].text(), "z");
    EXPECT_EQ(w->stage_grid[8][1].text(), "z");  // past the row: as the reset left it
}

TEST(BuildStage, OnlyLowerCaseLettersAreObjectsAndEveryCharacterIsOneCell) {
    Rows rows = framed(7, 4, 4, 3);
    rows[1] =
        "aA1 \xe3\x81\x82"
        "da";              // upper case, digit, blank, multi-byte: empty
    rows[2] = "az\nbzza";  // an LF inside a row is one more (empty) cell
    auto w = built(rows);
    EXPECT_EQ(w->wall_count, 7 + 2 + 2 + 7);
    EXPECT_EQ(w->coin_count, 1);
    EXPECT_EQ(w->coin_table[1], cell(6, 2));
    EXPECT_EQ(w->stage_grid[5][2].text(), "\xe3\x81\x82");
    EXPECT_EQ(w->stage_grid[3][3].text(), "\n");
    EXPECT_EQ(w->player_rect, cell(4, 3));
}

TEST(BuildStage, LastPlayerPowerItemAndDoorWin) {
    Rows rows = framed(7, 5, 2, 2);
    put(rows, 5, 2, 'e');
    put(rows, 3, 3, 'b');
    put(rows, 6, 3, 'f');
    put(rows, 2, 4, 'e');
    put(rows, 3, 4, 'f');
    put(rows, 6, 4, 'e');
    put(rows, 4, 3, 'f');  // same row as the first "f": the right-most of the row is 6
    auto w = built(rows);
    EXPECT_EQ(w->player_rect, cell(3, 3));  // the lower row wins
    EXPECT_EQ(w->power_item_rect, cell(6, 4));
    EXPECT_EQ(w->door_rect, cell(3, 4));
}

TEST(BuildStage, EnemyTableWithoutEnemiesGetsTheMarkerInEntryTwoOnly) {
    Rows rows = framed(16, 14, 8, 8);  // the camera centres this one
    put(rows, 4, 2, 'g');
    auto w = test::title_world();
    w->enemy_h_table[2] = Rect{1, 2, 3, 4};
    stagefile::Reader reader;
    ASSERT_FALSE(test::load_first(*w, reader, test::file_of({rows})));
    EXPECT_EQ(w->enemy_h_count, 1);
    // Only its left is set, and the camera does not move it (it lies past the counter).
    EXPECT_EQ(w->enemy_h_table[2], (Rect{empty_marker, 2, 3, 4}));
    EXPECT_EQ(w->enemy_i_table[2].left, empty_marker);
    EXPECT_EQ(w->enemy_j_table[2].left, empty_marker);
    EXPECT_EQ(w->enemy_g_table[2].left, 0);  // kind g has an enemy
}

TEST(BuildStage, SetsTheStateFieldsItOwnsAndLeavesTheOthers) {
    Rows rows = framed(8, 4, 2, 2);
    put(rows, 3, 2, 'g');
    put(rows, 4, 2, 'h');
    put(rows, 5, 2, 'i');
    put(rows, 6, 2, 'j');
    put(rows, 7, 2, 'i');
    put(rows, 3, 3, 'd');
    put(rows, 4, 3, 'k');
    put(rows, 5, 3, 'l');
    put(rows, 6, 3, 'm');
    put(rows, 7, 3, 'n');
    auto w = test::title_world();
    const EnemyState stale{5, 6, 7, 8, 9, 1, 3};
    w->enemy_g_state[1] = w->enemy_h_state[1] = w->enemy_j_state[1] = stale;
    for (int i = 1; i <= 3; ++i)
        w->enemy_i_state[i] = stale;
    w->coin_taken[1] = w->key1_taken[1] = w->lock1_opened[1] = 1;
    w->key2_taken[1] = w->lock2_opened[1] = 1;
    w->power_taken = w->door_open = 1;
    w->player_pose = pose_dying;
    w->player_frame = 9;
    stagefile::Reader reader;
    ASSERT_FALSE(test::load_first(*w, reader, test::file_of({rows})));

    EXPECT_EQ(w->enemy_g_state[1], (EnemyState{0, 0, 7, 8, 9, 1, 3}));  // armour left alone
    EXPECT_EQ(w->enemy_h_state[1], (EnemyState{0, 0, 7, 8, 9, 1, 3}));
    EXPECT_EQ(w->enemy_j_state[1], (EnemyState{0, 0, 2, 8, 9, 1, 3}));
    EXPECT_EQ(w->enemy_i_state[1], (EnemyState{0, 0, 1, 8, 9, 0, 3}));  // shot cleared
    EXPECT_EQ(w->enemy_i_state[2], (EnemyState{0, 0, 1, 8, 9, 0, 3}));
    EXPECT_EQ(w->enemy_i_state[3], (EnemyState{5, 6, 7, 8, 9, 0, 3}));  // only its shot
    EXPECT_EQ(w->coin_taken[1] + w->key1_taken[1] + w->lock1_opened[1], 0);
    EXPECT_EQ(w->key2_taken[1] + w->lock2_opened[1], 0);
    EXPECT_EQ(w->power_taken, 1);  // this stage has no power item and no door
    EXPECT_EQ(w->door_open, 1);
    EXPECT_EQ(w->player_pose, pose_stand);
    EXPECT_EQ(w->player_frame, 0);
}

TEST(BuildStage, FirstKindIShotIsClearedEvenWithoutKindIEnemies) {
    auto w = test::title_world();
    w->enemy_i_state[1].enemy_shot_active = 1;
    stagefile::Reader reader;
    ASSERT_FALSE(test::load_first(*w, reader, test::file_of({framed(5, 4, 2, 2)})));
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 0);
}

// The miss path of end of play: counters to 1, rebuild, camera.
void miss(World& w) {
    reset_counters(w);
    w.enemy_i_state[1].enemy_shot_active = 0;
    w.player_shot_active = 0;
    rebuild_stage(w);
    place_camera(w);
}

TEST(RebuildStage, KeepsTakenItemsAndRestoresEnemiesAndPlayer) {
    Rows rows = framed(16, 14, 8, 8);  // big enough for the camera to move
    put(rows, 3, 3, 'd');
    put(rows, 4, 3, 'd');
    put(rows, 5, 3, 'k');
    put(rows, 6, 3, 'l');
    put(rows, 7, 3, 'e');
    put(rows, 8, 3, 'f');
    put(rows, 9, 3, 'g');
    put(rows, 10, 3, 'i');
    auto w = built(rows);
    const auto first = std::make_unique<World>(*w);

    w->coin_taken[2] = 1;
    w->key1_taken[1] = 1;
    w->lock1_opened[1] = 1;
    w->power_taken = 1;
    w->door_open = 1;
    w->enemy_g_table[1] = Rect{3, 4, 23, 24};
    w->enemy_g_state[1].enemy_pose = 2;
    w->player_rect = Rect{0, 0, 20, 20};
    w->player_pose = pose_dying;
    for (int i = 0; i < 7; ++i)
        shift_positions(*w, shift_world_x, 5);
    miss(*w);

    EXPECT_EQ(w->coin_taken[2], 1);
    EXPECT_EQ(w->key1_taken[1], 1);
    EXPECT_EQ(w->lock1_opened[1], 1);
    EXPECT_EQ(w->power_taken, 1);
    EXPECT_EQ(w->door_open, 1);
    EXPECT_EQ(w->enemy_g_state[1].enemy_pose, 0);
    EXPECT_EQ(w->player_pose, pose_stand);
    // Everything is back where the first build put it.
    EXPECT_EQ(w->player_rect, first->player_rect);
    EXPECT_EQ(w->enemy_g_table[1], first->enemy_g_table[1]);
    EXPECT_EQ(w->coin_table[2], first->coin_table[2]);
    EXPECT_EQ(w->door_rect, first->door_rect);
    EXPECT_EQ(w->wall_count, first->wall_count);
    EXPECT_EQ(w->key1_count, first->key1_count);
}

TEST(RebuildStage, ScansRowsOnlyUpToTheLastRowsLength) {
    Rows rows = {"aaaaaa", "abzzad", "aaa"};  // a coin past the last row's length
    auto w = built(rows);
    EXPECT_EQ(w->coin_count, 1);
    EXPECT_EQ(w->wall_count, 6 + 2 + 3);
    miss(*w);
    EXPECT_EQ(w->coin_count, 0);
    EXPECT_EQ(w->wall_count, 3 + 1 + 3);
    EXPECT_EQ(w->player_rect, cell(2, 2));
}

TEST(RebuildStage, StageWithoutPlayerKeepsThePlayerWhereItWas) {
    auto w = built({"aaa", "aza", "aaa"});
    EXPECT_EQ(w->player_rect, Rect{});  // the reset cleared it
    w->player_rect = Rect{40, 60, 60, 80};
    miss(*w);
    EXPECT_EQ(w->player_rect, (Rect{40, 60, 60, 80}));
}

TEST(PlaceObject, RefusesAFullTableWithoutWritingAnything) {
    auto w = test::title_world();
    w->wall_count = table_capacity;
    EXPECT_TRUE(place_object(*w, "a", 3, 4, false));
    EXPECT_EQ(w->wall_count, table_capacity + 1);
    EXPECT_FALSE(place_object(*w, "a", 5, 5, false));
    EXPECT_EQ(w->wall_count, table_capacity + 1);

    // Kind i writes the state entry after its own, so 399 fit.
    w->enemy_i_count = enemy_state_capacity - 1;
    w->enemy_i_state[enemy_state_capacity].enemy_shot_active = 1;
    EXPECT_TRUE(place_object(*w, "i", 3, 4, false));
    EXPECT_EQ(w->enemy_i_state[enemy_state_capacity].enemy_shot_active, 0);
    EXPECT_FALSE(place_object(*w, "i", 3, 4, false));
    EXPECT_EQ(w->enemy_i_count, enemy_state_capacity);

    w->enemy_j_count = enemy_state_capacity + 1;
    EXPECT_FALSE(place_object(*w, "j", 3, 4, false));
    w->coin_count = -3;  // a counter that no caller should leave
    EXPECT_FALSE(place_object(*w, "d", 3, 4, false));
    EXPECT_TRUE(place_object(*w, "ab", 3, 4, false));  // not one letter: an empty cell
}

}  // namespace
}  // namespace vorne
