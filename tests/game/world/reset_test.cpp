#include "game/world/reset.h"

#include <gtest/gtest.h>

#include "tests/game/world/stages.h"

namespace vorne {
namespace {

TEST(ResetGame, SetsTheStartValuesAndClearsTheStage) {
    auto w = test::built({"aaaaa", "adbfa", "aegka", "aaaaa"});
    w->game_state = state_play;
    w->stage_number = 4;
    w->score = 3000;
    w->extra_life_step = 3;
    w->lives = 1;
    w->keys1_held = 2;
    w->stage_file_open = 2;
    w->power_taken = 1;
    w->player_shot_active = 1;
    w->player_airborne = 1;
    w->ending_title_y = 7;
    w->ending_thanks_y = 8;
    reset_game(*w);

    EXPECT_EQ(w->game_state, state_title);
    EXPECT_EQ(w->stage_number, 1);
    EXPECT_EQ(w->score, 0);
    EXPECT_EQ(w->extra_life_step, 1);
    EXPECT_EQ(w->lives, 3);
    EXPECT_EQ(w->keys1_held, 0);
    EXPECT_EQ(w->stage_file_open, 0);
    EXPECT_EQ(w->power_taken, 0);
    EXPECT_EQ(w->player_shot_active, 0);
    EXPECT_EQ(w->player_airborne, 0);
    EXPECT_EQ(w->ending_title_y, 200);
    EXPECT_EQ(w->ending_thanks_y, 200);
    for (int32_t* counter : {&w->wall_count, &w->ladder_count, &w->coin_count, &w->key1_count,
                             &w->lock1_count, &w->key2_count, &w->lock2_count, &w->enemy_g_count,
                             &w->enemy_h_count, &w->enemy_i_count, &w->enemy_j_count}) {
        EXPECT_EQ(*counter, 1);
    }
    EXPECT_EQ(w->wall_table[1], Rect{});
    EXPECT_EQ(w->coin_table[1], Rect{});
    EXPECT_EQ(w->enemy_g_table[1], Rect{});
    EXPECT_EQ(w->player_rect, Rect{});
    EXPECT_EQ(w->door_rect, Rect{});
    EXPECT_EQ(w->power_item_rect, Rect{});
    for (int32_t c = 1; c <= grid_capacity; ++c) {
        for (int32_t r = 1; r <= grid_capacity; ++r) {
            ASSERT_EQ(w->stage_grid[c][r].text(), "z") << c << "," << r;
        }
    }
}

TEST(ResetGame, LeavesWhatANewGameKeeps) {
    auto w = test::title_world();
    w->keys2_held = 2;
    w->door_open = 1;
    w->player_pose = pose_dying;
    w->player_frame = 5;
    w->backdrop_x = 6;
    w->backdrop_y = 7;
    w->stage_rows = 12;
    w->row_length = 13;
    w->coin_taken[1] = 1;
    w->enemy_g_state[3].enemy_armour = 2;
    w->enemy_i_state[1].enemy_shot_active = 1;
    w->enemy_shot_table[1] = Rect{1, 2, 21, 22};
    w->player_shot_rect = Rect{3, 4, 23, 24};
    w->enemy_h_table[enemy_state_capacity + 1] = Rect{5, 6, 25, 26};
    w->stage_grid[0][5].set("a");
    w->stage_grid[5][0].set("a");
    reset_game(*w);

    EXPECT_EQ(w->keys2_held, 2);
    EXPECT_EQ(w->door_open, 1);
    EXPECT_EQ(w->player_pose, pose_dying);
    EXPECT_EQ(w->player_frame, 5);
    EXPECT_EQ(w->backdrop_x, 6);
    EXPECT_EQ(w->backdrop_y, 7);
    EXPECT_EQ(w->stage_rows, 12);
    EXPECT_EQ(w->row_length, 13);
    EXPECT_EQ(w->coin_taken[1], 1);
    EXPECT_EQ(w->enemy_g_state[3].enemy_armour, 2);
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 1);
    EXPECT_EQ(w->enemy_shot_table[1], (Rect{1, 2, 21, 22}));
    EXPECT_EQ(w->player_shot_rect, (Rect{3, 4, 23, 24}));
    EXPECT_EQ(w->enemy_h_table[enemy_state_capacity + 1], (Rect{5, 6, 25, 26}));
    EXPECT_EQ(w->stage_grid[0][5].text(), "a");  // row and column 0 are not cleared
    EXPECT_EQ(w->stage_grid[5][0].text(), "a");
}

}  // namespace
}  // namespace vorne
