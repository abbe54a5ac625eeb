#include "game/screens/screens.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/audio/audio.h"
#include "game/shell/game.h"
#include "tests/support/test_game.h"

namespace vorne {
namespace {

using testing::TestGame;

// A folder with a stage file, as the program's folder.
struct StageFolder {
    explicit StageFolder(const std::string& name, const std::string& map_dat) {
        path = ::testing::TempDir() + "screens_" + name;
        std::filesystem::create_directories(path);
        std::ofstream(path + "/map.dat", std::ios::binary) << map_dat;
    }
    std::string path;
};

// Two stages: the player stands on the floor; one coin; a door.
const std::string two_stages =
    "3\r\naaaaa\r\nabdfa\r\naaaaa\r\n"
    "3\r\naaaaaa\r\nafdzba\r\naaaaaa\r\n";

// Z on the title, then the fifty ticks of the introduction: the first stage is in play.
void play_first_stage(TestGame& t) {
    t.input.set(0, 0, 1);
    run_tick(t.game);
    t.input.set(0, 0, 0);
    for (int i = 0; i < 50; ++i)
        run_tick(t.game);
}

int count(const std::vector<std::string>& v, const std::string& s) {
    return static_cast<int>(std::count(v.begin(), v.end(), s));
}

TEST(Title, ButtonOneOpensMapDatAndButtonOneWinsOverTwo) {
    StageFolder folder("title_b1", two_stages);
    TestGame t(folder.path, "/elsewhere/other.dat");
    t.input.set(0, 0, 3);
    run_tick(t.game);
    EXPECT_EQ(t.game.world.game_state, state_stage_intro);
    EXPECT_EQ(t.game.world.stage_file_open, 1);
    EXPECT_EQ(t.game.world.stage_rows, 3);
    EXPECT_EQ(t.game.stage_file.path(), folder.path + "/map.dat");
    EXPECT_EQ(t.window.caption(), "VORNE ver1.0");
}

TEST(Title, CancelledDialogKeepsTheTitle) {
    StageFolder folder("title_cancel", two_stages);
    TestGame t(folder.path);  // the dialog is cancelled
    t.input.set(0, 0, 2);
    run_tick(t.game);
    EXPECT_EQ(t.game.world.game_state, state_title);
    EXPECT_EQ(t.game.world.stage_file_open, 1);  // tried
    EXPECT_FALSE(t.game.stage_file.is_open());
    // Button 1 acts only once both buttons were seen released, then opens map.dat.
    for (int32_t buttons : {1, 0, 1}) {
        EXPECT_EQ(t.game.world.game_state, state_title);
        t.input.set(0, 0, buttons);
        run_tick(t.game);
    }
    EXPECT_EQ(t.game.world.game_state, state_stage_intro);
}

TEST(Title, ChosenFileIsOpenedAndAMissingMapDatIsRejected) {
    StageFolder folder("title_dialog", two_stages);
    TestGame t("/nonexistent-vorne-folder", folder.path + "/map.dat");
    t.input.set(0, 0, 1);  // map.dat is missing beside this program
    run_tick(t.game);
    EXPECT_EQ(t.game.world.game_state, state_title);
    EXPECT_FALSE(t.game.stage_file.is_open());
    t.input.set(0, 0, 0);  // released, so that button 2 acts
    run_tick(t.game);
    t.input.set(0, 0, 2);
    run_tick(t.game);
    EXPECT_EQ(t.game.world.game_state, state_stage_intro);
    EXPECT_EQ(t.game.world.stage_rows, 3);
}

TEST(Title, AButtonHeldIntoTheTitleWaitsForAFreshPress) {
    struct Case {
        int32_t state, screen_timer;
        int32_t buttons;  // held from before the title
    };
    for (Case c : {Case{state_ending, 352, button_fire}, Case{state_game_over, 98, button_fire},
                   Case{state_game_over, 98, button_fire | button_map}}) {
        SCOPED_TRACE(c.state);
        StageFolder folder("title_latch", two_stages);
        TestGame t(folder.path);
        World& w = t.game.world;
        w.game_state = c.state;
        w.screen_timer = c.screen_timer;
        t.input.set(0, 0, c.buttons);
        for (int i = 0; i < 3 && w.game_state != state_title; ++i)
            run_tick(t.game);
        ASSERT_EQ(w.game_state, state_title);
        for (int i = 0; i < 5; ++i) {
            run_tick(t.game);
            EXPECT_EQ(w.game_state, state_title);
        }
        t.input.set(0, 0, 0);
        run_tick(t.game);
        t.input.set(0, 0, button_fire);
        run_tick(t.game);
        EXPECT_EQ(w.game_state, state_stage_intro);
    }
}

TEST(Title, ScrollPhaseRunsThirteenFramesPerCycle) {
    TestGame t;
    std::vector<int32_t> phases;
    for (int i = 0; i < 14; ++i) {
        phases.push_back(t.game.world.title_scroll);
        run_tick(t.game);
    }
    EXPECT_EQ(phases, (std::vector<int32_t>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 0}));
}

TEST(StageIntro, LastsFiftyTicksThenBuildsAndStartsThePlayMusic) {
    StageFolder folder("intro", two_stages);
    TestGame t(folder.path);
    t.input.set(0, 0, 1);
    run_tick(t.game);
    t.input.set(0, 0, 0);
    for (int i = 1; i < 50; ++i) {
        run_tick(t.game);
        ASSERT_EQ(t.game.world.game_state, state_stage_intro) << i;
    }
    EXPECT_EQ(t.game.world.screen_timer, 98);
    t.music.sent.clear();
    run_tick(t.game);
    EXPECT_EQ(t.game.world.game_state, state_play);
    EXPECT_EQ(t.game.world.screen_timer, 0);
    EXPECT_EQ(t.game.world.wall_count, 12);
    EXPECT_EQ(t.game.world.player_rect.left, 40);
    ASSERT_EQ(t.music.sent.size(), 4u);
    EXPECT_EQ(t.music.sent[0], "stop midifile ");
    EXPECT_NE(t.music.sent[2].find("PSMAT526.mid"), std::string::npos);
}

TEST(EndPlay, MissRebuildsWithTakenItemsKeptAndTheLastLifeEndsTheGame) {
    StageFolder folder("miss", two_stages);
    TestGame t(folder.path);
    play_first_stage(t);
    World& w = t.game.world;
    ASSERT_EQ(w.game_state, state_play);
    w.coin_taken[1] = 1;
    w.player_rect = Rect{999, 999, 1019, 1019};
    w.player_shot_active = 1;
    w.game_state = state_miss;
    run_tick(t.game);
    EXPECT_EQ(w.game_state, state_play);
    EXPECT_EQ(w.lives, 2);
    EXPECT_EQ(w.coin_taken[1], 1);
    EXPECT_EQ(w.player_rect.left, 40);
    EXPECT_EQ(w.player_shot_active, 0);
    EXPECT_EQ(w.wall_count, 12);

    w.lives = 1;
    w.game_state = state_miss;
    run_tick(t.game);
    EXPECT_EQ(w.game_state, state_game_over);
    EXPECT_EQ(w.lives, 0);
    EXPECT_EQ(t.window.caption(), "VORNE ver1.0 ");
    EXPECT_EQ(w.wall_count, 1);  // counters reset on this path too
}

TEST(GameOver, ClosesTheFileOncePlaysItsSoundOnceAndReturnsToTheTitle) {
    StageFolder folder("over", two_stages);
    TestGame t(folder.path);
    t.input.set(0, 0, 1);
    run_tick(t.game);
    t.input.set(0, 0, 0);
    World& w = t.game.world;
    w.game_state = state_game_over;
    w.keys2_held = 2;
    t.sound.played.clear();
    t.music.sent.clear();
    for (int i = 0; i < 49; ++i) {
        run_tick(t.game);
        EXPECT_EQ(w.stage_file_open, 2);
        ASSERT_EQ(w.game_state, state_game_over);
    }
    EXPECT_FALSE(t.game.stage_file.is_open());
    EXPECT_EQ(t.sound.played, std::vector<int32_t>{sound_game_over});
    EXPECT_EQ(count(t.music.sent, "stop midifile "), 49);
    run_tick(t.game);
    EXPECT_EQ(w.game_state, state_title);
    EXPECT_EQ(w.stage_file_open, 0);
    EXPECT_EQ(w.lives, 3);
    EXPECT_EQ(w.keys2_held, 2);  // kept over a new game
    EXPECT_NE(t.music.sent.back().find("play midifile"), std::string::npos);
}

TEST(EndPlay, StageClearReadsTheNextStageAndTheFileEndBringsTheEnding) {
    StageFolder folder("clear", two_stages);
    TestGame t(folder.path);
    play_first_stage(t);
    World& w = t.game.world;
    w.keys1_held = 2;
    w.keys2_held = 1;
    w.power_taken = 1;
    w.game_state = state_stage_clear;
    t.sound.played.clear();
    run_tick(t.game);
    EXPECT_EQ(w.game_state, state_stage_intro);
    EXPECT_EQ(w.stage_number, 2);
    EXPECT_EQ(w.stage_rows, 3);
    EXPECT_EQ(w.keys1_held, 0);
    EXPECT_EQ(w.keys2_held, 1);
    EXPECT_EQ(w.power_taken, 0);
    EXPECT_EQ(t.sound.played, std::vector<int32_t>{sound_clear});
    for (int i = 0; i < 50; ++i)
        run_tick(t.game);
    ASSERT_EQ(w.game_state, state_play);
    EXPECT_EQ(w.player_rect.left, 160);  // aligned right: the last wall's right edge at 200

    t.sound.played.clear();
    t.music.sent.clear();
    w.game_state = state_stage_clear;
    run_tick(t.game);
    EXPECT_EQ(w.game_state, state_ending);
    EXPECT_EQ(w.stage_number, 2);  // not advanced at the end
    EXPECT_EQ(t.sound.played, std::vector<int32_t>{sound_clear});
    EXPECT_EQ(t.game.timer2.period(), 1);
    ASSERT_GE(t.music.sent.size(), 4u);
    EXPECT_EQ(t.music.sent[0], "stop midifile ");
    EXPECT_NE(t.music.sent[2].find("PSMAT528.mid"), std::string::npos);
    for (int32_t i = 1; i <= 10; ++i) {
        EXPECT_GE(w.cloud_speed[i], 1);
        EXPECT_LE(w.cloud_speed[i], 5);
        EXPECT_GE(w.cloud_table[i].left, 0);
        EXPECT_LE(w.cloud_table[i].left, 169);
        EXPECT_GE(w.cloud_table[i].top, 0);
        EXPECT_LE(w.cloud_table[i].top, 149);
    }
}

TEST(Ending, Timeline) {
    TestGame t;
    World& w = t.game.world;
    w.game_state = state_ending;
    for (int32_t i = 1; i <= 10; ++i) {
        w.cloud_table[i] = Rect{100, 10 * i, 0, 0};
        w.cloud_speed[i] = 1;
    }
    w.cloud_table[1].left = -58;
    w.cloud_speed[1] = 3;
    t.input.set(0, 0, 1);  // held from the start: nothing until the prompt

    for (int frame = 1; frame <= 176; ++frame) {
        run_tick(t.game);
        if (frame == 1) {
            EXPECT_EQ(w.cloud_table[1].left, 203);  // -61: back in at speed + 200
        }
        if (frame == 19) {
            EXPECT_EQ(w.ending_title_y, 10);
        }
        if (frame == 20) {
            EXPECT_EQ(w.ending_title_y, 0);
        }
        if (frame == 50) {
            EXPECT_EQ(w.ending_thanks_y, 200);
        }
        if (frame == 51) {
            EXPECT_EQ(w.ending_thanks_y, 199);
        }
        if (frame == 150) {
            EXPECT_EQ(w.ending_thanks_y, 100);
        }
        if (frame == 175) {
            ASSERT_EQ(w.game_state, state_ending);
        }
    }
    // The prompt first shows on frame 176, and button 1 leaves at once.
    EXPECT_EQ(w.game_state, state_title);
    EXPECT_EQ(w.ending_title_y, 200);
    EXPECT_EQ(w.screen_timer, 0);
}

}  // namespace
}  // namespace vorne
