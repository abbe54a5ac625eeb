#include <gtest/gtest.h>

#include <vector>

#include "game/actors/actors.h"
#include "tests/support/stage_text.h"

namespace vorne {
namespace {

using test::at;
using test::cell;
using test::SoundLog;
using test::stage;
using Sounds = std::vector<int32_t>;

Sounds contacts(World& w) {
    SoundLog sound;
    check_contacts(w, sound);
    return sound.played;
}

TEST(CheckContacts, TakingTheLastTwoCoinsInOneTickOpensTheDoor) {
    // Coin 1 alone at the top right; coins 2 and 3 side by side.
    const auto coins = [] { return stage({"aaaaaaa", "afzzzda", "abzddza", "aaaaaaa"}); };
    auto two_of_three = coins();
    two_of_three->player_rect = at(90, 60);  // touches coins 2 and 3
    EXPECT_EQ(contacts(*two_of_three), (Sounds{2, 2}));
    EXPECT_EQ(two_of_three->score, 100);
    EXPECT_EQ(two_of_three->door_open, 0);

    auto last_two = coins();
    last_two->player_rect = cell(6, 2);
    EXPECT_EQ(contacts(*last_two), Sounds{2});
    last_two->player_rect = at(90, 60);
    EXPECT_EQ(contacts(*last_two), (Sounds{2, 2, 3}));
    EXPECT_EQ(last_two->door_open, 1);
    EXPECT_EQ(contacts(*last_two), Sounds{});  // taken coins stay taken
}

TEST(CheckContacts, AnExtraLifeComesAt1500AndOneAtMostForEachGain) {
    auto w = stage({"aaaaaaa", "azzzzza", "abddzza", "aaaaaaa"});
    w->score = 1450;
    w->player_rect = cell(3, 3);
    contacts(*w);
    EXPECT_EQ(w->score, 1500);
    EXPECT_EQ(w->lives, 4);
    EXPECT_EQ(w->extra_life_step, 2);
    // A gain that passes two thresholds gives one life; the next gain another.
    w->score = 2950;
    w->extra_life_step = 1;
    w->player_rect = cell(4, 3);
    contacts(*w);
    EXPECT_EQ(w->lives, 5);
    EXPECT_EQ(w->extra_life_step, 2);
}

TEST(CheckContacts, OneKeyAndOneLockOfAKindPerTick) {
    auto w = stage({"aaaaaaa", "azzzzza", "abkklla", "aaaaaaa"});
    w->player_rect = at(70, 60);  // touches both keys
    EXPECT_EQ(contacts(*w), Sounds{2});
    EXPECT_EQ(w->key1_taken[1], 1);
    EXPECT_EQ(w->key1_taken[2], 0);
    EXPECT_EQ(contacts(*w), Sounds{2});
    EXPECT_EQ(w->keys1_held, 2);

    w->player_rect = at(110, 60);  // touches both locks
    EXPECT_EQ(contacts(*w), Sounds{2});
    EXPECT_EQ(w->lock1_opened[1], 1);
    EXPECT_EQ(w->lock1_opened[2], 0);
    EXPECT_EQ(w->keys1_held, 1);
    contacts(*w);
    contacts(*w);  // no key left for a third lock
    EXPECT_EQ(w->keys1_held, 0);

    // A kind-2 key does not open a kind-1 lock.
    auto other = stage({"aaaaaaa", "azzzzza", "abzlzza", "aaaaaaa"});
    other->keys2_held = 1;
    other->player_rect = cell(4, 3);
    EXPECT_EQ(contacts(*other), Sounds{});
    EXPECT_EQ(other->lock1_opened[1], 0);
}

TEST(CheckContacts, TheDoorClearsTheStageOnlyOpenAndAtItsExactPlace) {
    auto w = stage({"aaaaaaa", "azzzzza", "abzfzza", "aaaaaaa"});
    w->player_rect = w->door_rect;
    contacts(*w);
    EXPECT_EQ(w->game_state, state_play);
    w->door_open = 1;
    w->player_rect = at(w->door_rect.left + 5, w->door_rect.top);
    contacts(*w);
    EXPECT_EQ(w->game_state, state_play);
    w->player_rect = w->door_rect;
    contacts(*w);
    EXPECT_EQ(w->game_state, state_stage_clear);
}

TEST(CheckContacts, EnemiesCatchThePlayerOnceAndVanishingOnesNotAtAll) {
    auto w = stage({"aaaaaaa", "azzzzza", "abghzza", "aaaaaaa"});
    w->enemy_g_state[1].enemy_pose = 6;
    w->player_rect = cell(3, 3);
    EXPECT_EQ(contacts(*w), Sounds{});
    w->player_rect = at(70, 60);  // touches g (vanishing) and h
    EXPECT_EQ(contacts(*w), Sounds{4});
    EXPECT_EQ(w->player_pose, pose_dying);
    EXPECT_EQ(w->player_frame, 1);
    w->player_frame = 5;
    EXPECT_EQ(contacts(*w), Sounds{});
    EXPECT_EQ(w->player_frame, 5);
}

// The player's shot -------------------------------------------------------------

// A stage with two enemies of kind g, one each of h, i and j, and a lock.
std::unique_ptr<World> targets() {
    return stage({"aaaaaaa", "azzzzza", "azzzzza", "abgghza", "azzijla", "aaaaaaa"});
}

void shoot_at(World& w, const Rect& target) {
    w.player_shot_rect = target;
    w.player_shot_active = 1;
}

TEST(CheckContacts, KindsIAndJTakeTwoAndThreeHits) {
    auto w = targets();
    for (int hit = 1; hit <= 2; ++hit) {
        shoot_at(*w, w->enemy_i_table[1]);
        EXPECT_EQ(contacts(*w), hit == 2 ? Sounds{7} : Sounds{}) << "hit " << hit;
        EXPECT_EQ(w->player_shot_active, 0);
        EXPECT_EQ(w->enemy_i_state[1].enemy_pose == 6, hit == 2) << "hit " << hit;
    }
    // Shot down, it takes no more hits: the next shot passes.
    shoot_at(*w, w->enemy_i_table[1]);
    EXPECT_EQ(contacts(*w), Sounds{});
    EXPECT_EQ(w->player_shot_active, 1);
    EXPECT_EQ(w->score, 200);
    for (int hit = 1; hit <= 3; ++hit) {
        shoot_at(*w, w->enemy_j_table[1]);
        EXPECT_EQ(contacts(*w), hit == 3 ? Sounds{7} : Sounds{}) << "hit " << hit;
    }
    EXPECT_EQ(w->enemy_j_state[1].enemy_pose, 6);
    EXPECT_EQ(w->score, 350);
}

TEST(CheckContacts, OneShotStrikesOneEnemyOfEachKindButTheLowestIndexOnly) {
    auto w = targets();
    const Rect spot = cell(3, 2);
    w->enemy_g_table[1] = spot;
    w->enemy_g_table[2] = spot;
    w->enemy_h_table[1] = spot;
    shoot_at(*w, spot);
    EXPECT_EQ(contacts(*w), (Sounds{7, 7}));
    EXPECT_EQ(w->enemy_g_state[1].enemy_pose, 6);
    EXPECT_NE(w->enemy_g_state[2].enemy_pose, 6);
    EXPECT_EQ(w->enemy_h_state[1].enemy_pose, 6);
    EXPECT_EQ(w->score, 250);
    // A closed lock stops the shot; an opened one lets it pass.
    shoot_at(*w, w->lock1_table[1]);
    contacts(*w);
    EXPECT_EQ(w->player_shot_active, 0);
    w->lock1_opened[1] = 1;
    shoot_at(*w, w->lock1_table[1]);
    contacts(*w);
    EXPECT_EQ(w->player_shot_active, 1);
}

TEST(CheckContacts, AShotTouchingAWallAndAnEnemyOnlyVanishesAndEndsTheStep) {
    auto w = targets();
    const Rect spot = at(125, 60);  // over the right wall's edge
    w->enemy_g_table[1] = spot;
    shoot_at(*w, spot);
    // An enemy shot on the player goes untested this tick.
    w->enemy_i_state[1].enemy_shot_active = 1;
    w->enemy_shot_table[1] = w->player_rect;
    EXPECT_EQ(contacts(*w), Sounds{});
    EXPECT_EQ(w->player_shot_active, 0);
    EXPECT_NE(w->enemy_g_state[1].enemy_pose, 6);
    EXPECT_NE(w->player_pose, pose_dying);
    EXPECT_EQ(contacts(*w), Sounds{4});
}

// Enemy shots -------------------------------------------------------------------

TEST(CheckContacts, EnemyShotsStopAtAWallForTheTickAndFlyOnAfterACatch) {
    auto w = stage({"aaaaaaa", "azzzzza", "abzzzza", "aaaaaaa", "azizzia", "aaaaaaa"});
    w->enemy_i_state[1].enemy_shot_active = 1;
    w->enemy_shot_table[1] = at(10, 40);  // in the left wall
    w->enemy_i_state[2].enemy_shot_active = 1;
    w->enemy_shot_table[2] = w->player_rect;
    EXPECT_EQ(contacts(*w), Sounds{});
    EXPECT_EQ(w->enemy_i_state[1].enemy_shot_active, 0);
    EXPECT_NE(w->player_pose, pose_dying);  // shot 2 waits for the next tick
    EXPECT_EQ(contacts(*w), Sounds{4});
    EXPECT_EQ(w->player_pose, pose_dying);
    EXPECT_EQ(w->enemy_i_state[2].enemy_shot_active, 1);
    EXPECT_EQ(contacts(*w), Sounds{});  // a dying player is not caught again
}

}  // namespace
}  // namespace vorne
