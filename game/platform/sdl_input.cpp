#include "game/platform/sdl_input.h"

#include <SDL.h>

#include <algorithm>

namespace vorne {

namespace {

// Keys by physical position, so Z and X sit where they do on a US keyboard
// whatever the layout.
SDL_Scancode scancode_of(int32_t vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (vk - 'A'));
    if (vk >= '1' && vk <= '9') return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (vk - '1'));
    switch (vk) {
        case '0':
            return SDL_SCANCODE_0;
        case 8:
            return SDL_SCANCODE_BACKSPACE;
        case 9:
            return SDL_SCANCODE_TAB;
        case 13:
            return SDL_SCANCODE_RETURN;
        case 27:
            return SDL_SCANCODE_ESCAPE;
        case 32:
            return SDL_SCANCODE_SPACE;
        case 37:
            return SDL_SCANCODE_LEFT;
        case 38:
            return SDL_SCANCODE_UP;
        case 39:
            return SDL_SCANCODE_RIGHT;
        case 40:
            return SDL_SCANCODE_DOWN;
        default:
            return SDL_SCANCODE_UNKNOWN;
    }
}

}  // namespace

SdlInput::SdlInput() = default;

SdlInput::~SdlInput() {
    reset_devices();
}

void SdlInput::reset_devices() {
    for (auto& [id, device] : devices_) {
        if (device.controller)
            SDL_GameControllerClose(device.controller);
        else if (device.joystick)
            SDL_JoystickClose(device.joystick);
    }
    devices_.clear();
}

bool SdlInput::key_down(int32_t virtual_key) {
    SDL_Scancode code = scancode_of(virtual_key);
    if (code == SDL_SCANCODE_UNKNOWN) return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return code < count && state[code] != 0;
}

uint32_t SdlInput::joy_num_devs() {
    int n = SDL_NumJoysticks();
    return n > 0 ? static_cast<uint32_t>(n) : 0;
}

SdlInput::Device SdlInput::open(uint32_t id) {
    auto it = devices_.find(id);
    if (it != devices_.end()) return it->second;
    Device device;
    int index = static_cast<int>(id);
    if (SDL_IsGameController(index)) {
        device.controller = SDL_GameControllerOpen(index);
        if (device.controller) device.joystick = SDL_GameControllerGetJoystick(device.controller);
    }
    if (!device.joystick) device.joystick = SDL_JoystickOpen(index);
    devices_[id] = device;
    return device;
}

uint32_t SdlInput::joy_get_pos(uint32_t id, JoyPosition& out) {
    Device device = open(id);
    if (!device.joystick || !SDL_JoystickGetAttached(device.joystick)) return 1;
    SDL_JoystickUpdate();
    // SDL's axes run -32768..32767; the game's stick rules expect 0..65535.
    auto to_range = [](Sint16 v) { return static_cast<uint32_t>(v + 32768); };
    out.z = 32768;
    out.buttons = 0;
    if (SDL_GameController* pad = device.controller) {
        auto button = [&](SDL_GameControllerButton b) {
            return SDL_GameControllerGetButton(pad, b) != 0;
        };
        auto axis = [&](SDL_GameControllerAxis a, SDL_GameControllerButton low,
                        SDL_GameControllerButton high) -> uint32_t {
            if (button(low) != button(high)) return button(low) ? 0u : 65535u;
            return to_range(SDL_GameControllerGetAxis(pad, a));
        };
        out.x = axis(SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                     SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        out.y = axis(SDL_CONTROLLER_AXIS_LEFTY, SDL_CONTROLLER_BUTTON_DPAD_UP,
                     SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        if (button(SDL_CONTROLLER_BUTTON_A) || button(SDL_CONTROLLER_BUTTON_START))
            out.buttons |= 1;
        if (button(SDL_CONTROLLER_BUTTON_B)) out.buttons |= 2;
        if (button(SDL_CONTROLLER_BUTTON_BACK)) out.buttons |= 4;
        if (button(SDL_CONTROLLER_BUTTON_Y)) out.buttons |= 8;
        if (button(SDL_CONTROLLER_BUTTON_X)) out.buttons |= 16;  // west: pause
        return 0;
    }
    SDL_Joystick* joystick = device.joystick;
    auto raw_axis = [&](int index) -> uint32_t {
        if (index >= SDL_JoystickNumAxes(joystick)) return 32768;
        return to_range(SDL_JoystickGetAxis(joystick, index));
    };
    out.x = raw_axis(0);
    out.y = raw_axis(1);
    out.z = raw_axis(2);
    int buttons = std::min(SDL_JoystickNumButtons(joystick), 4);
    for (int b = 0; b < buttons; ++b)
        if (SDL_JoystickGetButton(joystick, b)) out.buttons |= 1u << b;
    return 0;
}

uint32_t SdlInput::joy_get_caps(uint32_t id, JoyCaps& out) {
    Device device = open(id);
    if (!device.joystick) return 1;
    out.x_min = 0;
    out.x_max = 65535;
    out.y_min = 0;
    out.y_max = 65535;
    int buttons = device.controller ? 4 : SDL_JoystickNumButtons(device.joystick);
    out.num_buttons = buttons > 0 ? static_cast<uint32_t>(buttons) : 0;
    return 0;
}

}  // namespace vorne
