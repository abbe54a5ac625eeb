#include "game/shell/headless_ports.h"

#include <cmath>
#include <filesystem>
#include <iostream>

namespace vorne {

void ScriptedInput::set(int16_t stick_x, int16_t stick_y, int32_t buttons) {
    auto axis = [](int16_t v) -> uint32_t { return v < 0 ? 0 : v > 0 ? 65535 : 32768; };
    position_.x = axis(stick_x);
    position_.y = axis(stick_y);
    position_.buttons = static_cast<uint32_t>(buttons);
}

uint32_t ScriptedInput::joy_get_pos(uint32_t id, JoyPosition& out) {
    if (id != 0) return 1;
    out = position_;
    return 0;
}

uint32_t ScriptedInput::joy_get_caps(uint32_t id, JoyCaps& out) {
    if (id != 0) return 1;
    out = JoyCaps{0, 65535, 0, 65535, 4};
    return 0;
}

bool SilentMidiPlayer::load(const std::string& path) {
    std::error_code ec;
    playing_ = false;
    return std::filesystem::is_regular_file(path, ec);
}

int32_t NullText::line_height(const TextStyle& style) {
    // About 1.2 em at 96 dpi.
    return static_cast<int32_t>(std::lround(style.points * 4.0 / 3.0 * 1.2));
}

void HeadlessFiles::show_message(std::string_view title, std::string_view text) {
    std::cerr << "vorne1.0: " << title << ": " << text << '\n';
}

}  // namespace vorne
