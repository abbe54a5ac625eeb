#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "game/actors/actors.h"
#include "tests/support/stage_text.h"

namespace vorne {
namespace {

using test::at;
using test::SoundLog;
using test::stage;
using Sounds = std::vector<int32_t>;

// A kind-i enemy at column 3 of row 3 on a floor; the player below.
std::unique_ptr<World> shooter_stage() {
    return stage({"aaaaaaaa", "azzzzzza", "azizzzza", "aaaaaaaa", "azbzzzza", "aaaaaaaa"});
}

// The enemy part of one play tick.
void enemy_tick(World& w, SoundPort& sound) {
    step_enemy_shots(w, sound);
    step_enemies(w, EnemyKind::i);
    check_contacts(w, sound);
}

TEST(EnemyShots, AnEnemyFiresTheTickAfterItsFirstStepAndTheShotMovesAtOnce) {
    auto w = shooter_stage();
    SoundLog sound;
    enemy_tick(*w, sound);
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 0);
    EXPECT_EQ(sound.played, Sounds{});
    // Fired from where the enemy stood, left 65. The slot past the last entry,
    // of no size, turned on its first step and fires too, for ever.
    enemy_tick(*w, sound);
    EXPECT_EQ(sound.played, (Sounds{6, 6}));
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_heading, 3);
    EXPECT_EQ(w->enemy_shot_table[1], at(75, 60));
    enemy_tick(*w, sound);
    EXPECT_EQ(w->enemy_shot_table[1], at(85, 60));
    EXPECT_EQ(sound.played, (Sounds{6, 6}));
}

TEST(EnemyShots, AShotIntoAWallEndsInTheSameTickAndTheNextIsFiredAtOnce) {
    auto w = stage({"aaaaaaaa", "azzzzzza", "azzzzzia", "aaaaaaaa", "azbzzzza", "aaaaaaaa"});
    w->enemy_i_state[1].enemy_pose = 3;  // facing the wall beside it
    SoundLog sound;
    step_enemy_shots(*w, sound);
    check_contacts(*w, sound);
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 0);
    step_enemy_shots(*w, sound);
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 1);
    EXPECT_EQ(sound.played, (Sounds{6, 6}));
}

TEST(EnemyShots, AShotKeepsItsHeadingAndOutlivesItsEnemy) {
    auto w = shooter_stage();
    SoundLog sound;
    enemy_tick(*w, sound);
    enemy_tick(*w, sound);
    // Turning does not turn the shot, nor fire another.
    w->enemy_i_state[1].enemy_pose = 2;
    step_enemy_shots(*w, sound);
    EXPECT_EQ(w->enemy_shot_table[1], at(85, 60));
    // Shot down, the enemy's shot flies on; once ended it is not replaced.
    w->enemy_i_state[1].enemy_pose = 6;
    step_enemy_shots(*w, sound);
    EXPECT_EQ(w->enemy_shot_table[1], at(95, 60));
    w->enemy_i_state[1].enemy_shot_active = 0;
    step_enemy_shots(*w, sound);
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 0);
    EXPECT_EQ(sound.played, (Sounds{6, 6}));  // the enemy's and the slot's
}

TEST(EnemyShots, AShotAtTheEndOfTheNumberRangeStaysThere) {
    auto w = shooter_stage();
    SoundLog sound;
    constexpr int32_t high = std::numeric_limits<int32_t>::max();
    constexpr int32_t low = std::numeric_limits<int32_t>::min();
    w->enemy_i_state[1] =
        EnemyState{.enemy_pose = 6, .enemy_shot_active = 1, .enemy_shot_heading = 3};
    w->enemy_shot_table[1] = Rect{high - 25, 60, high - 5, 80};
    step_enemy_shots(*w, sound);
    EXPECT_EQ(w->enemy_shot_table[1], (Rect{high - 25, 60, high - 5, 80}));
    w->enemy_i_state[1].enemy_shot_heading = 2;
    w->enemy_shot_table[1] = Rect{low + 5, 60, low + 25, 80};
    step_enemy_shots(*w, sound);
    EXPECT_EQ(w->enemy_shot_table[1].left, low + 5);
}

// The player's shot -------------------------------------------------------------

TEST(PlayerShot, FiresOnlyWithThePowerItemAndWhileWalking) {
    auto w = stage({"aaaaaaa", "azzzzza", "azbzzza", "aaaaaaa"});
    SoundLog sound;
    w->buttons = 1;
    w->player_pose = pose_walk_right;
    step_player_shot(*w, sound);
    EXPECT_EQ(w->player_shot_active, 0);
    w->power_taken = 1;
    for (int32_t pose : {pose_stand, pose_ladder, pose_fall}) {
        w->player_pose = pose;
        step_player_shot(*w, sound);
        EXPECT_EQ(w->player_shot_active, 0);
    }
    EXPECT_EQ(sound.played, Sounds{});
    w->player_pose = pose_walk_left;
    step_player_shot(*w, sound);
    EXPECT_EQ(sound.played, Sounds{6});
    EXPECT_EQ(w->player_shot_rect, at(50, 60));
    // Turning round does not turn the shot.
    w->player_pose = pose_walk_right;
    step_player_shot(*w, sound);
    EXPECT_EQ(w->player_shot_rect, at(40, 60));
    EXPECT_EQ(sound.played, Sounds{6});
}

TEST(PlayerShot, HeldButtonFiresAgainTheTickAfterAWallEndedTheShot) {
    auto w = stage({"aaaaaaa", "azzzzza", "azzzzba", "aaaaaaa"});
    SoundLog sound;
    w->power_taken = 1;
    w->player_pose = pose_walk_right;
    w->buttons = 1;
    for (int tick = 0; tick < 3; ++tick) {
        step_player_shot(*w, sound);
        EXPECT_EQ(w->player_shot_active, 1);
        check_contacts(*w, sound);
        EXPECT_EQ(w->player_shot_active, 0);
    }
    EXPECT_EQ(sound.played, (Sounds{6, 6, 6}));
}

}  // namespace
}  // namespace vorne
