// Joysticks and gamepads through SDL, with SDL's virtual devices.
#include <SDL.h>
#include <gtest/gtest.h>

#include "game/input/input.h"
#include "game/platform/sdl_input.h"

namespace vorne {
namespace {

struct SdlJoysticks : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }
};

TEST_F(SdlJoysticks, RawJoystickAxesSpanTheGameRange) {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_STICK, 2, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SdlInput input;
    ASSERT_EQ(input.joy_num_devs(), 1u);
    SDL_Joystick* stick = SDL_JoystickOpen(index);  // to move the virtual device
    ASSERT_NE(stick, nullptr);
    JoyPosition p;
    ASSERT_EQ(input.joy_get_pos(0, p), 0u);  // opens it
    SDL_JoystickSetVirtualAxis(stick, 0, -32768);
    SDL_JoystickSetVirtualAxis(stick, 1, 32767);
    SDL_JoystickSetVirtualButton(stick, 1, 1);
    SDL_JoystickSetVirtualButton(stick, 3, 1);
    SDL_JoystickUpdate();
    ASSERT_EQ(input.joy_get_pos(0, p), 0u);
    EXPECT_EQ(p.x, 0u);
    EXPECT_EQ(p.y, 65535u);
    EXPECT_EQ(p.buttons, 2u | 8u);
    SDL_JoystickClose(stick);
}

TEST_F(SdlJoysticks, GamepadDpadStickAndFaceButtons) {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    if (!SDL_IsGameController(index)) GTEST_SKIP() << "this SDL maps no virtual gamepad";
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    SdlInput input;
    auto world = make_world();
    init_joystick(*world, input, joystick_margin);
    ASSERT_EQ(world->joystick_id, 0);

    auto set_button = [&](SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(pad, b, down ? 1 : 0);
        SDL_JoystickUpdate();
    };
    set_button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    set_button(SDL_CONTROLLER_BUTTON_A, true);
    poll_input(*world, input);
    EXPECT_EQ(world->stick_x, -1);
    EXPECT_EQ(world->stick_y, 0);
    EXPECT_EQ(world->buttons, 1);

    set_button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    set_button(SDL_CONTROLLER_BUTTON_A, false);
    set_button(SDL_CONTROLLER_BUTTON_B, true);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 32767);  // stick down
    SDL_JoystickUpdate();
    poll_input(*world, input);
    EXPECT_EQ(world->stick_x, 0);
    EXPECT_EQ(world->stick_y, 1);
    EXPECT_EQ(world->buttons, 2);
    SDL_JoystickClose(pad);
}

}  // namespace
}  // namespace vorne
