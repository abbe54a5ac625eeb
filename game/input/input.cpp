#include "game/input/input.h"

namespace vorne {

void init_joystick(World& world, InputPort& input, int32_t margin) {
    world.joystick_id = -1;
    uint32_t devices = input.joy_num_devs();
    if (devices == 0) return;
    for (uint32_t id = 0; id < devices; ++id) {
        JoyPosition position;
        if (input.joy_get_pos(id, position) == 0) {
            world.joystick_id = static_cast<int32_t>(id);
            break;
        }
    }
    if (world.joystick_id == -1) return;

    JoyCaps caps;
    if (input.joy_get_caps(static_cast<uint32_t>(world.joystick_id), caps) != 0) {
        world.joystick_id = -1;
        return;
    }
    // The driver's ranges are unsigned; the limits are signed 32-bit as the
    // game keeps them.
    world.stick_limits.x_low = static_cast<int32_t>(caps.x_min) + margin;
    world.stick_limits.x_high = static_cast<int32_t>(caps.x_max) - margin;
    world.stick_limits.y_low = static_cast<int32_t>(caps.y_min) + margin;
    world.stick_limits.y_high = static_cast<int32_t>(caps.y_max) - margin;
    world.joystick_buttons = static_cast<int32_t>(caps.num_buttons);
}

namespace {

int16_t axis(int64_t value, int32_t low, int32_t high) {
    return static_cast<int16_t>((value > high ? 1 : 0) - (value < low ? 1 : 0));
}

int key(InputPort& input, int32_t virtual_key) {
    // Code 0 names no key (button 4 has none).
    return virtual_key != 0 && input.key_down(virtual_key) ? 1 : 0;
}

}  // namespace

void devices_changed(World& world, InputPort& input) {
    JoyPosition probe;
    if (world.joystick_id == -1 ||
        input.joy_get_pos(static_cast<uint32_t>(world.joystick_id), probe) != 0)
        init_joystick(world, input, joystick_margin);
}

void poll_input(World& world, InputPort& input) {
    if (world.joystick_id != -1) {
        // A failed read is used like a good one: the record is cleared first,
        // so it reads as stick left and up, no buttons.
        JoyPosition position;
        input.joy_get_pos(static_cast<uint32_t>(world.joystick_id), position);
        world.stick_x = axis(position.x, world.stick_limits.x_low, world.stick_limits.x_high);
        world.stick_y = axis(position.y, world.stick_limits.y_low, world.stick_limits.y_high);
        world.buttons = static_cast<int32_t>(position.buttons);
    } else {
        world.stick_x = 0;
        world.stick_y = 0;
        world.buttons = 0;
    }

    int h = key(input, vk_right) - key(input, vk_left);
    if (h != 0) world.stick_x = static_cast<int16_t>(h);
    int v = key(input, vk_down) - key(input, vk_up);
    if (v != 0) world.stick_y = static_cast<int16_t>(v);

    int32_t b = button_fire * key(input, world.key_codes[1]) +
                button_map * key(input, world.key_codes[2]) +
                button_quit * key(input, world.key_codes[3]) +
                button_4 * key(input, world.key_codes[4]) + button_pause * key(input, vk_p);
    if (b != 0) world.buttons = b;
}

}  // namespace vorne
