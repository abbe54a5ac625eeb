#include "game/render/play_frame.h"

#include <gtest/gtest.h>

#include "game/actors/actors.h"
#include "game/player/player.h"
#include "game/shell/game.h"
#include "tests/support/code_sheets.h"
#include "tests/support/test_game.h"

namespace vorne {
namespace {

using namespace vorne::testing;

const Pixel backdrop = cell_code(haikei_id, 0, 0);

Rect cell(int32_t left, int32_t top) {
    return Rect{left, top, left + 20, top + 20};
}

struct PlayFrame : ::testing::Test {
    PlayFrame() {
        t.game.sheets = code_sheets();
        w.game_state = state_play;
        w.player_rect = cell(100, 100);
    }
    Pixel at(int32_t x, int32_t y) { return t.game.frame.at(x, y); }
    // The steps of a play tick that end in what is drawn, then the frame.
    void draw() {
        wrap_backdrop(w);
        step_vanishing(w);
        step_dying(w);
        show_play_frame(t.game);
    }
    TestGame t;
    World& w = t.game.world;
};

TEST_F(PlayFrame, PlayerSpriteByPoseAndFrame) {
    struct Case {
        int32_t pose, frame;
        bool drawn;
        int32_t sil_x, sil_y, img_x, img_y;
    };
    for (Case c : {Case{0, 7, true, 0, 20, 0, 0}, Case{1, 0, true, 0, 60, 0, 40},
                   Case{1, 1, true, 20, 60, 20, 40}, Case{1, 2, false, 0, 0, 0, 0},
                   Case{2, 0, true, 0, 100, 0, 80}, Case{2, 1, true, 20, 100, 20, 80},
                   Case{2, 2, true, 0, 100, 0, 80}, Case{2, 3, true, 40, 100, 40, 80},
                   Case{2, 4, false, 0, 0, 0, 0}, Case{3, 3, true, 40, 140, 40, 120},
                   Case{3, 1, true, 20, 140, 20, 120}, Case{4, 0, false, 0, 0, 0, 0},
                   Case{5, 3, true, 20, 20, 20, 0}}) {
        w.player_pose = c.pose;
        w.player_frame = c.frame;
        draw();
        Pixel expected =
            c.drawn ? masked(backdrop, pc_id, c.sil_x, c.sil_y, c.img_x, c.img_y) : backdrop;
        EXPECT_EQ(at(110, 110), expected) << "pose " << c.pose << " frame " << c.frame;
    }
}

TEST_F(PlayFrame, DyingAnimationWipesFromTheTopThenEndsTheLife) {
    t.game.ports.window.set_caption("before");
    w.player_pose = pose_dying;
    w.player_frame = 1;
    draw();
    EXPECT_EQ(w.player_frame, 2);
    EXPECT_EQ(at(105, 101), backdrop);                 // the top two rows are gone
    EXPECT_EQ(at(105, 102), cell_code(pc_id, 40, 0));  // opaque dying cell
    EXPECT_EQ(w.game_state, state_play);
    for (int i = 0; i < 18; ++i)
        draw();
    EXPECT_EQ(w.player_frame, 20);
    EXPECT_EQ(at(105, 119), backdrop);  // t = 20: nothing left
    EXPECT_EQ(w.game_state, state_play);

    t.game.ports.window.set_caption("kept");
    draw();
    EXPECT_EQ(w.player_frame, 21);
    EXPECT_EQ(w.game_state, state_miss);
    EXPECT_EQ(t.game.ports.window.caption(), "kept");  // no caption, no HUD that frame
    EXPECT_EQ(at(40, 5), backdrop);
}

TEST_F(PlayFrame, EnemyWalkColumnsAndVanishing) {
    w.enemy_h_count = 2;  // entry 1, and the slot past it (pose 0 at 0,0)
    w.enemy_h_table[1] = cell(40, 40);
    w.enemy_h_state[1].enemy_pose = 3;
    int32_t expected_col[] = {0, 1, 0, 2};
    for (int32_t f = 0; f < 4; ++f) {
        w.enemy_h_state[1].enemy_frame = f;
        draw();
        int32_t k = expected_col[f];
        EXPECT_EQ(at(50, 50), masked(backdrop, t1c_id, 20 * k, 100, 60 + 20 * k, 40)) << f;
    }
    w.enemy_h_state[1].enemy_pose = 2;
    w.enemy_h_state[1].enemy_frame = 3;
    draw();
    EXPECT_EQ(at(50, 50), masked(backdrop, t1c_id, 40, 60, 100, 20));
    w.enemy_h_state[1].enemy_pose = 5;  // not a pose of an enemy: not drawn
    draw();
    EXPECT_EQ(at(50, 50), backdrop);

    w.enemy_h_state[1].enemy_pose = 6;
    w.enemy_h_state[1].enemy_frame = 18;
    draw();
    EXPECT_EQ(w.enemy_h_state[1].enemy_frame, 19);
    EXPECT_EQ(at(50, 58), backdrop);
    EXPECT_EQ(at(50, 59), masked(backdrop, t1c_id, 0, 20, 60, 0));  // the bottom row only
    draw();
    EXPECT_EQ(w.enemy_h_state[1].enemy_frame, 20);
    EXPECT_EQ(at(50, 59), backdrop);
    draw();
    EXPECT_EQ(w.enemy_h_state[1].enemy_frame, 20);
}

TEST_F(PlayFrame, ItemsDoorAndShotsByTheirFlags) {
    w.coin_count = 2;
    w.coin_table[1] = cell(20, 140);
    w.coin_table[2] = cell(60, 140);
    w.coin_taken[2] = 1;
    w.door_rect = cell(140, 20);
    w.door_open = 1;
    w.power_item_rect = cell(140, 60);
    w.power_taken = 1;
    w.enemy_i_count = 2;
    w.enemy_i_table[1] = cell(300, 300);
    w.enemy_i_state[1].enemy_pose = 6;  // its shot flies on all the same
    w.enemy_i_state[1].enemy_frame = 20;
    w.enemy_i_state[1].enemy_shot_active = 1;
    w.enemy_shot_table[1] = cell(20, 60);
    draw();
    EXPECT_EQ(at(30, 150), masked(backdrop, tc_id, 0, 20, 0, 0));
    EXPECT_EQ(at(70, 150), backdrop);
    EXPECT_EQ(at(150, 30), cell_code(tobira_id, 0, 20));
    EXPECT_EQ(at(150, 70), backdrop);
    EXPECT_EQ(at(30, 70), masked(backdrop, tama_id, 0, 40, 0, 20));

    w.door_open = 2;  // no door at all
    draw();
    EXPECT_EQ(at(150, 30), backdrop);
}

TEST_F(PlayFrame, BackdropWrapsAtExactly100) {
    w.backdrop_x = 98;
    w.backdrop_y = -100;
    draw();
    EXPECT_EQ(w.backdrop_x, 98);
    EXPECT_EQ(w.backdrop_y, 0);
    w.backdrop_x = 100;
    draw();
    EXPECT_EQ(w.backdrop_x, 0);
}

TEST_F(PlayFrame, CaptionAndKeyDisplay) {
    w.score = 150;
    w.lives = 3;
    draw();
    EXPECT_EQ(t.game.ports.window.caption(), "SCORE 150     Px3");
    // The kind-2 key of the display. (The top-left corner also holds the
    // unmoved slots past the last entries, drawn at 0, 0 under the kind-1 key.)
    EXPECT_EQ(at(40, 5), masked(backdrop, kagic_id, 0, 20, 20, 0));
}

}  // namespace
}  // namespace vorne
