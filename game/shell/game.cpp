#include "game/shell/game.h"

#include "game/actors/actors.h"
#include "game/audio/audio.h"
#include "game/input/input.h"
#include "game/player/player.h"
#include "game/render/play_frame.h"
#include "game/screens/screens.h"
#include "game/world/reset.h"

namespace vorne {

void start_game(Game& game) {
    World& world = game.world;
    world.key_codes = {0, vk_z, vk_x, vk_escape, 0};
    init_joystick(world, game.ports.input, joystick_margin);
    // The window's drawing area is 200 x 200 from its creation on.
    game.ports.sound.set_up();
    reset_game(world);
    play_music(game.ports.music, game.program_folder, music_title);
    game.ports.window.show();
}

void stop_game(Game& game) {
    stop_music(game.ports.music);
    game.stage_file.close();
}

void play_step(Game& game) {
    run_play_rules(game.world, game.ports.sound);
    show_play_frame(game);
}

void draw_pause_banner(Game& game) {
    // A darkened band across the middle of the frozen frame, and the word.
    FrameBuffer& frame = game.frame;
    for (int32_t y = 84; y < 116; ++y) {
        for (int32_t x = 0; x < frame.width(); ++x) {
            const Pixel p = frame.at(x, y);
            frame.set(x, y, (p >> 2 & 0x3F3F3F) | (p & 0xFF000000));
        }
    }
    print_text(game, 70, 90, "PAUSE", TextStyle{Face::gothic, 16, true, rgb(255, 255, 255)});
}

void show_play_frame(Game& game) {
    Canvas canvas = game.canvas();
    if (!draw_play_frame(canvas, game.world)) return;  // the life ended: the caption stays
    const World& w = game.world;
    game.ports.window.set_caption("SCORE " + std::to_string(w.score) + "     Px" +
                                  std::to_string(w.lives));
}

void set_paused(Game& game, bool paused) {
    if (paused == game.paused) return;
    game.paused = paused;
    const uint32_t now = game.ports.clock.now_ms();
    if (paused) {
        game.timer2.hold(now);
        pause_music(game.ports.music);
        draw_pause_banner(game);
    } else {
        game.timer2.resume(now);
        resume_music(game.ports.music);
    }
}

bool check_quit(Game& game) {
    if ((game.world.buttons & button_quit) == 0) return false;
    stop_music(game.ports.music);
    game.stage_file.close();
    game.quit = true;
    return true;
}

void pace_frame(Game& game, int32_t ms) {
    ClockPort& clock = game.ports.clock;
    if (game.released_once) {
        // ms after the previous release (wrap-safe); a late tick goes at
        // once, without catching up.
        clock.sleep_until_ms(static_cast<uint32_t>(game.world.frame_clock) +
                             static_cast<uint32_t>(ms));
    }
    // A fresh reading, not the last one of the wait.
    game.world.frame_clock = static_cast<int32_t>(clock.now_ms());
    game.released_once = true;
}

void run_tick(Game& game) {
    World& world = game.world;
    poll_input(world, game.ports.input);
    // The pause button acts when it goes down, not while it is held.
    const bool pause_down = (world.buttons & button_pause) != 0;
    const bool pause_pressed = pause_down && !game.pause_held;
    game.pause_held = pause_down;
    const bool focus_lost = game.ports.window.take_focus_lost();

    switch (world.game_state) {
        case state_play:
            if (pause_pressed || (focus_lost && !game.paused)) set_paused(game, !game.paused);
            if (game.paused) break;  // no tick of play: the frame stays as it was
            game.timer2.set_period(5000, game.ports.clock.now_ms());
            play_step(game);
            break;
        case state_title:
            game.timer2.set_period(15000, game.ports.clock.now_ms());
            show_title(game);
            break;
        case state_miss:
            end_play(game, PlayEnd::miss);
            break;
        case state_game_over:
            show_game_over(game);
            break;
        case state_stage_intro:
            show_stage_intro(game);
            break;
        case state_stage_clear:
            end_play(game, PlayEnd::stage_clear);
            break;
        case state_ending:
            show_ending(game);
            break;
        default:
            break;  // no step
    }

    if (check_quit(game)) return;
    pace_frame(game, frame_ms);
    game.ports.window.refresh(game.frame);
}

void service_timers(Game& game) {
    uint32_t now = game.ports.clock.now_ms();
    if (game.timer2.due(now)) {
        loop_music(game.ports.music);
        game.timer2.fired(game.ports.clock.now_ms());
    }
}

}  // namespace vorne
