#include "game/input/input.h"

#include <gtest/gtest.h>

#include <set>

namespace vorne {
namespace {

// Devices set by the test.
class FakeInput : public InputPort {
  public:
    bool key_down(int32_t vk) override { return keys.count(vk) > 0; }
    uint32_t joy_num_devs() override { return devices; }
    uint32_t joy_get_pos(uint32_t id, JoyPosition& out) override {
        if (id != readable_id || fail_reads) return 1;
        out = position;
        return 0;
    }
    uint32_t joy_get_caps(uint32_t, JoyCaps& out) override {
        out = caps;
        return caps_result;
    }
    std::set<int32_t> keys;
    uint32_t devices = 0;
    uint32_t readable_id = 0;
    bool fail_reads = false;
    JoyPosition position{32768, 32768, 0, 0};
    JoyCaps caps{0, 65535, 0, 65535, 4};
    uint32_t caps_result = 0;
};

struct InputFixture : ::testing::Test {
    void SetUp() override { world->key_codes = {0, vk_z, vk_x, vk_escape, 0}; }
    void poll() { poll_input(*world, input); }
    std::unique_ptr<World> world = make_world();
    FakeInput input;
};

TEST_F(InputFixture, NoJoystickAndNoKeysGiveNothing) {
    init_joystick(*world, input, joystick_margin);
    EXPECT_EQ(world->joystick_id, -1);
    world->stick_x = 1;
    world->buttons = 7;
    poll();
    EXPECT_EQ(world->stick_x, 0);
    EXPECT_EQ(world->stick_y, 0);
    EXPECT_EQ(world->buttons, 0);
}

TEST_F(InputFixture, ArrowsAndButtonKeys) {
    input.keys = {vk_left, vk_down, vk_z, vk_x};
    poll();
    EXPECT_EQ(world->stick_x, -1);
    EXPECT_EQ(world->stick_y, 1);
    EXPECT_EQ(world->buttons, 3);
    input.keys = {vk_left, vk_right, vk_up, vk_escape};
    poll();
    EXPECT_EQ(world->stick_x, 0);  // both arrows cancel
    EXPECT_EQ(world->stick_y, -1);
    EXPECT_EQ(world->buttons, 4);
}

TEST_F(InputFixture, JoystickFoundAndLimitsFromItsRange) {
    input.devices = 3;
    input.readable_id = 1;
    input.caps = {100, 65535, 0, 60000, 6};
    init_joystick(*world, input, joystick_margin);
    EXPECT_EQ(world->joystick_id, 1);
    EXPECT_EQ(world->stick_limits.x_low, 16484);
    EXPECT_EQ(world->stick_limits.x_high, 49151);
    EXPECT_EQ(world->stick_limits.y_low, 16384);
    EXPECT_EQ(world->stick_limits.y_high, 43616);
    EXPECT_EQ(world->joystick_buttons, 6);
}

TEST_F(InputFixture, JoystickWithFailingCapabilitiesIsNotUsed) {
    input.devices = 1;
    input.caps_result = 165;
    init_joystick(*world, input, joystick_margin);
    EXPECT_EQ(world->joystick_id, -1);
    input.devices = 2;
    input.readable_id = 7;  // no device answers
    input.caps_result = 0;
    init_joystick(*world, input, joystick_margin);
    EXPECT_EQ(world->joystick_id, -1);
}

TEST_F(InputFixture, MarginRuleAndDeadZone) {
    input.devices = 1;
    init_joystick(*world, input, joystick_margin);
    struct Case {
        uint32_t x;
        int16_t expected;
    };
    for (Case c : {Case{0, -1}, Case{16383, -1}, Case{16384, 0}, Case{32768, 0}, Case{49151, 0},
                   Case{49152, 1}, Case{65535, 1}}) {
        input.position.x = c.x;
        input.position.y = c.x;
        poll();
        EXPECT_EQ(world->stick_x, c.expected) << c.x;
        EXPECT_EQ(world->stick_y, c.expected) << c.x;
    }
}

TEST_F(InputFixture, KeyboardOverridesPerAxisAndButtonKeysReplaceJoystickButtons) {
    input.devices = 1;
    init_joystick(*world, input, joystick_margin);
    input.position = {65535, 0, 0, 8 | 2};
    poll();
    EXPECT_EQ(world->stick_x, 1);
    EXPECT_EQ(world->stick_y, -1);
    EXPECT_EQ(world->buttons, 10);  // button 4 comes from the joystick only

    input.keys = {vk_left, vk_z};
    poll();
    EXPECT_EQ(world->stick_x, -1);  // the key wins on its axis
    EXPECT_EQ(world->stick_y, -1);  // the other axis keeps the joystick
    EXPECT_EQ(world->buttons, 1);   // joystick buttons are lost this tick

    input.keys = {vk_left, vk_right};
    poll();
    EXPECT_EQ(world->stick_x, 1);  // cancelled arrows leave the joystick's value
}

TEST_F(InputFixture, FailedReadCountsAsLeftAndUp) {
    input.devices = 1;
    init_joystick(*world, input, joystick_margin);
    input.fail_reads = true;
    poll();
    EXPECT_EQ(world->stick_x, -1);
    EXPECT_EQ(world->stick_y, -1);
    EXPECT_EQ(world->buttons, 0);
}

}  // namespace
}  // namespace vorne
