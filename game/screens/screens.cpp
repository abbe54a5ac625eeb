#include "game/screens/screens.h"

#include <cmath>
#include <random>

#include "game/audio/audio.h"
#include "game/render/draw.h"
#include "game/session/game.h"
#include "game/world/builder.h"
#include "game/world/reset.h"
#include "game/world/scroll.h"
#include "game/world/stage_file.h"

namespace vorne {
namespace {

constexpr const char* title_caption = "VORNE ver1.0";
constexpr const char* stage_file_filter = "データ(*.dat)|*.dat|";

// Tells the player what is wrong with the stage file and goes back to a
// clean title.
void reject(Game& game, const StageError& error) {
    game.ports.files.show_message("VORNE", error.message());
    reject_stage_file(game.world, game.stage_file);
    game.title_armed = false;
}

// Opens a stage file from the title; on success the introduction follows.
void start_from(Game& game, const std::string& path) {
    if (auto error = open_stage_file(game.world, game.stage_file, path)) {
        reject(game, *error);
        return;
    }
    game.world.game_state = state_stage_intro;
}

// The end of a stage introduction: the stage whose count line was read is
// built and play begins with its music; a stage the file cannot give goes
// back to the title.
void enter_play(Game& game) {
    World& w = game.world;
    w.screen_timer = 0;
    w.game_state = state_play;
    if (auto error = build_stage(w, game.stage_file)) {
        reject(game, *error);
        play_music(game.ports.music, game.program_folder, music_title);
        return;
    }
    play_music(game.ports.music, game.program_folder, music_play);
}

// The drifting grid of the timed screens.
void draw_grid_background(Game& game) {
    for (int32_t k = -1; k <= 2; ++k)
        blit(game.frame, 0, k * 200 + game.world.screen_timer, 200, 200, game.sheets.stageh, 0, 0,
             RasterOp::copy);
}

}  // namespace

void show_title(Game& game) {
    World& w = game.world;
    // A free file number while no file is open.
    if (w.stage_file_open == 0) w.stage_file = 1;

    for (int32_t row = 0; row <= 9; ++row) {
        for (int32_t column = 0; column <= 10; ++column) {
            int32_t x =
                row % 2 == 0 ? column * 25 - 25 + w.title_scroll : column * 25 - w.title_scroll;
            blit(game.frame, x, row * 25, 25, 25, game.sheets.thaikei, 0, 0, RasterOp::copy);
        }
    }
    int32_t before = w.title_scroll;
    w.title_scroll += 2;
    if (before == 24) w.title_scroll = 0;

    masked_draw(game.frame, 10, 40, 180, 50, game.sheets.rogo, 0, 50, 0, 0);

    // How to start, in the window's current face.
    TextStyle hint{game.window_face, 10, true, rgb(0, 0, 128)};
    print_text(game, 48, 130, "Zキーでスタート", hint);
    print_text(game, 48, 150, "Xキーでマップ選択", hint);

    game.ports.window.set_caption(title_caption);

    if (!game.title_armed) {
        if ((w.buttons & (button_fire | button_map)) == 0) game.title_armed = true;
        return;
    }
    if (w.buttons & button_fire) {
        game.title_armed = false;
        start_from(game, game.default_stage_path());
    } else if (w.buttons & button_map) {
        game.title_armed = false;
        std::optional<std::string> chosen = game.ports.files.open_file_dialog(stage_file_filter);
        if (!chosen) {
            mapload_cancelled(w);
            return;
        }
        start_from(game, *chosen);
    }
}

void start_at_stage(Game& game, int32_t stage) {
    // The title's start on the stage file of button 1...
    start_from(game, game.default_stage_path());
    if (game.world.game_state != state_stage_intro) return;  // refused, back on the title
    // ...the stages before read past, as their clears would...
    if (auto error = skip_to_stage(game.world, game.stage_file, stage)) {
        reject(game, *error);
        return;
    }
    // ...and the end of the stage's introduction, whose music it stops.
    stop_music(game.ports.music);
    enter_play(game);
}

void show_stage_intro(Game& game) {
    World& w = game.world;
    stop_music(game.ports.music);
    draw_grid_background(game);
    print_text(game, 55, 92.5, "STAGE" + number_text(w.stage_number),
               TextStyle{Face::gothic, 15, true, rgb(0, 0, 255)});
    w.screen_timer += 2;
    if (w.screen_timer == 100) enter_play(game);
}

void show_game_over(Game& game) {
    World& w = game.world;
    if (w.stage_file_open == 1) {
        game.stage_file.close();
        w.stage_file_open = 2;
    }
    stop_music(game.ports.music);
    draw_grid_background(game);
    print_text(game, 42.5, 92.5, "GAME OVER", TextStyle{Face::gothic, 15, true, rgb(0, 0, 255)});
    if (w.screen_timer == 0) play_sound(game.ports.sound, sound_game_over);
    w.screen_timer += 2;
    if (w.screen_timer == 100) {
        reset_game(w);
        w.screen_timer = 0;
        w.game_state = state_title;
        game.title_armed = false;
        play_music(game.ports.music, game.program_folder, music_title);
    }
}

void end_play(Game& game, PlayEnd how) {
    World& w = game.world;
    w.game_state = state_play;
    reset_counters(w);
    w.player_airborne = 0;

    if (how == PlayEnd::miss) {
        w.lives -= 1;
        if (w.lives == 0) {
            game.ports.window.set_caption("VORNE ver1.0 ");
            w.game_state = state_game_over;
            return;
        }
        w.enemy_i_state[1].enemy_shot_active = 0;
        w.player_shot_active = 0;
        rebuild_stage(w);
        place_camera(w);
        return;
    }
    NextCount next = read_next_count(w, game.stage_file);
    if (next.error) {
        reject(game, *next.error);
        stop_music(game.ports.music);
        play_music(game.ports.music, game.program_folder, music_title);
        return;
    }
    if (!next.end_of_file) {
        hairetu(w);
        play_sound(game.ports.sound, sound_clear);
        w.keys1_held = 0;
        w.power_taken = 0;
        w.player_shot_active = 0;
        w.stage_number += 1;
        w.game_state = state_stage_intro;
        return;
    }

    // The last stage is cleared: the ending.
    std::mt19937 random(game.ports.clock.now_ms());
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int32_t i = 1; i <= cloud_capacity; ++i)
        w.cloud_speed[i] = static_cast<int32_t>(std::floor(unit(random) * 5 + 1));
    for (int32_t i = 1; i <= cloud_capacity; ++i)
        w.cloud_table[i].left = static_cast<int32_t>(std::floor(unit(random) * 170 - 30)) + 30;
    for (int32_t i = 1; i <= cloud_capacity; ++i)
        w.cloud_table[i].top = static_cast<int32_t>(std::floor(unit(random) * 150 - 30)) + 30;
    play_sound(game.ports.sound, sound_clear);
    stop_music(game.ports.music);
    game.timer2.set_period(1, game.ports.clock.now_ms());
    play_music(game.ports.music, game.program_folder, music_ending);
    w.game_state = state_ending;
}

void show_ending(Game& game) {
    World& w = game.world;
    game.ports.window.set_caption(title_caption);
    blit(game.frame, 0, 0, 200, 200, game.sheets.lasthaikei, 0, 0, RasterOp::copy);

    for (int32_t i = 1; i <= cloud_capacity; ++i) {
        Rect& cloud = w.cloud_table[i];
        int32_t x = cloud.left - w.cloud_speed[i];
        masked_draw(game.frame, x, cloud.top, 60, 30, game.sheets.kumomask, 0, 0, game.sheets.kumo,
                    0, 0);
        cloud.left = x;
        if (cloud.left < -60) cloud.left = w.cloud_speed[i] + 200;
    }
    masked_draw(game.frame, 0, 0, 200, 200, game.sheets.uemask, 0, 0, game.sheets.ue, 0, 0);

    if (w.ending_title_y > 0) w.ending_title_y -= 10;
    const uint32_t red = rgb(255, 0, 0), blue = rgb(0, 0, 255);
    double y = print_text(game, 8, w.ending_title_y, "ALL STAGE CLEAR",
                          TextStyle{Face::gothic, 16, true, red});
    y = print_text(game, 30, y, "クリアステージ数" + number_text(w.stage_number),
                   TextStyle{Face::gothic, 13, true, red});
    print_text(game, 65, y, "スコア" + number_text(w.score),
               TextStyle{Face::gothic, 13, true, red});

    w.screen_timer += 2;
    if (w.ending_thanks_y > 100 && w.screen_timer > 100) w.ending_thanks_y -= 1;
    TextStyle thanks{Face::gothic, 16, true, blue};
    y = print_text(game, 44, w.ending_thanks_y, "THANK YOU", thanks);
    y = print_text(game, 86, y, "FOR", thanks);
    print_text(game, 62, y, "PLAYING", thanks);

    if (w.screen_timer > 350) {
        print_text(game, 0, 185, "Zキーでタイトルへ戻ります。",
                   TextStyle{Face::gothic, 10, true, rgb(0, 0, 0)});
        if (w.buttons & button_fire) {
            stop_music(game.ports.music);
            game.stage_file.close();
            reset_game(w);
            w.stage_file_open = 0;
            w.screen_timer = 0;
            play_music(game.ports.music, game.program_folder, music_title);
            w.game_state = state_title;
            game.title_armed = false;
        }
    }
}

}  // namespace vorne
