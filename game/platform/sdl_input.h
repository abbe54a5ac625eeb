// The input port through SDL2: keyboard, joysticks and gamepads.
#pragma once

#include <cstdint>
#include <map>

#include "game/ports/ports.h"

struct _SDL_Joystick;
struct _SDL_GameController;

namespace vorne {

// Keyboard by physical key position; joysticks through SDL. A device that
// SDL knows as a gamepad (its own mappings, or SDL_GAMECONTROLLERCONFIG) is
// read through its mapping: d-pad or left stick for the directions, the south
// face button (and Start) for button 1, the east one for button 2, Back for
// button 3, the north one for button 4. Other joysticks report their first two
// axes and first four buttons as they are.
class SdlInput : public InputPort {
  public:
    SdlInput();
    ~SdlInput() override;
    bool key_down(int32_t virtual_key) override;
    uint32_t joy_num_devs() override;
    uint32_t joy_get_pos(uint32_t id, JoyPosition& out) override;
    uint32_t joy_get_caps(uint32_t id, JoyCaps& out) override;
    // Forgets the devices opened so far, after one was plugged in or out
    // (device numbers may have changed).
    void reset_devices();

  private:
    struct Device {
        _SDL_Joystick* joystick = nullptr;
        _SDL_GameController* controller = nullptr;
    };
    Device open(uint32_t id);
    std::map<uint32_t, Device> devices_;
};

}  // namespace vorne
