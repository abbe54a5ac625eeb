// Random input for the soak, tick by tick, chosen by the screen the game
// shows: directions held for random stretches, climbing, fire held or
// tapped, now and then X (its dialog is cancelled). Never Esc.
#pragma once

#include <cstdint>
#include <random>

#include "game/world/world.h"

namespace vorne::soak {

struct TickInput {
    int16_t stick_x = 0;  // -1 left, 1 right
    int16_t stick_y = 0;  // -1 up, 1 down
    int32_t buttons = 0;  // 1 Z, 2 X, 8 button 4
};

class RandomInput {
  public:
    explicit RandomInput(uint64_t seed) : rng_(seed) {}

    TickInput next(int32_t game_state) {
        TickInput in;
        if (move_left_ <= 0) new_move();
        --move_left_;
        in.stick_x = stick_x_;
        in.stick_y = stick_y_;

        switch (game_state) {
            case state_title:
                // Start after a short while; X opens the dialog, which is
                // cancelled.
                if (chance(0.08)) in.buttons |= 1;
                if (chance(0.02)) in.buttons |= 2;
                return in;
            case state_ending:
                // Z leaves once the ending has run long enough.
                if (chance(0.03)) in.buttons |= 1;
                return in;
            default:
                break;
        }
        if (fire_left_ <= 0) new_fire();
        --fire_left_;
        if (fire_mode_ == fire_held || (fire_mode_ == fire_taps && chance(0.3))) in.buttons |= 1;
        if (chance(0.003)) in.buttons |= 2;
        if (chance(0.001)) in.buttons |= 8;
        return in;
    }

  private:
    enum FireMode { fire_none, fire_held, fire_taps };

    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    int32_t uniform(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(rng_);
    }
    int16_t sign() { return chance(0.5) ? 1 : -1; }

    void new_move() {
        const int32_t pick = uniform(0, 99);
        if (pick < 50) {  // walk
            stick_x_ = sign();
            stick_y_ = 0;
        } else if (pick < 75) {  // climb
            stick_x_ = 0;
            stick_y_ = sign();
        } else if (pick < 82) {  // both at once
            stick_x_ = sign();
            stick_y_ = sign();
        } else {  // nothing held
            stick_x_ = 0;
            stick_y_ = 0;
        }
        // Mostly short stretches, sometimes a long walk.
        move_left_ = chance(0.8) ? uniform(1, 25) : uniform(26, 150);
    }

    void new_fire() {
        const int32_t pick = uniform(0, 99);
        fire_mode_ = pick < 50 ? fire_none : pick < 70 ? fire_held : fire_taps;
        fire_left_ = uniform(1, 80);
    }

    std::mt19937_64 rng_;
    int16_t stick_x_ = 0;
    int16_t stick_y_ = 0;
    int32_t move_left_ = 0;
    FireMode fire_mode_ = fire_none;
    int32_t fire_left_ = 0;
};

}  // namespace vorne::soak
