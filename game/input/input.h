// Joystick and keyboard, reduced once per tick to stick_x, stick_y and buttons.
#pragma once

#include <cstdint>

#include "game/ports/ports.h"
#include "game/world/world.h"

namespace vorne {

// Virtual-key numbers the game reads.
inline constexpr int32_t vk_escape = 27;
inline constexpr int32_t vk_left = 37;
inline constexpr int32_t vk_up = 38;
inline constexpr int32_t vk_right = 39;
inline constexpr int32_t vk_down = 40;
inline constexpr int32_t vk_p = 80;
inline constexpr int32_t vk_x = 88;
inline constexpr int32_t vk_z = 90;

inline constexpr int32_t joystick_margin = 16384;

// Finds the first joystick whose position can be read and sets joystick_id
// (-1 for none) and stick_limits from its range less margin.
void init_joystick(World& world, InputPort& input, int32_t margin);

// After devices came or went: a pad plugged in is taken up when none is in
// use; one pulled out leaves the keyboard (or the next device) in charge
// rather than a stick stuck at its last reading.
void devices_changed(World& world, InputPort& input);

// Sets stick_x, stick_y and buttons for this tick. A keyboard direction
// overrides the joystick on its axis; any button key replaces all joystick
// button bits. No edge detection.
void poll_input(World& world, InputPort& input);

}  // namespace vorne
