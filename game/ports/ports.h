// What the game takes from the platform. The core only talks to these small
// interfaces; game/platform/ implements them with SDL2, the headless runner and
// the tests with in-memory versions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorne {

class FrameBuffer;

// The millisecond clock (wraps at 2^32 like any 32-bit tick count) and sleeps.
class ClockPort {
  public:
    virtual ~ClockPort() = default;
    virtual uint32_t now_ms() = 0;
    virtual void sleep_ms(uint32_t ms) = 0;
    // Returns once now_ms() has reached the deadline (wrap-safe), at once when
    // it already has. Here in steps of sleep_ms: most of the wait asleep, the
    // last 2 ms in spin steps (sleep_ms(0)).
    virtual void sleep_until_ms(uint32_t deadline) {
        for (;;) {
            int32_t remaining = static_cast<int32_t>(deadline - now_ms());
            if (remaining <= 0) return;
            sleep_ms(remaining > 2 ? static_cast<uint32_t>(remaining - 2) : 0);
        }
    }
};

// A joystick reading as the game's input rules see it: axes on 0..65535.
struct JoyPosition {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    uint32_t buttons = 0;  // bit 0 = button 1 ... bit 3 = button 4, bit 4 = pause
};

struct JoyCaps {
    uint32_t x_min = 0;
    uint32_t x_max = 0;
    uint32_t y_min = 0;
    uint32_t y_max = 0;
    uint32_t num_buttons = 0;
};

// Raw devices. Key codes are the game's virtual-key numbers (37..40 arrows,
// 27 Esc, 65..90 letters, 48..57 digits). Joystick calls return 0 on success.
class InputPort {
  public:
    virtual ~InputPort() = default;
    virtual bool key_down(int32_t virtual_key) = 0;
    virtual uint32_t joy_num_devs() = 0;
    virtual uint32_t joy_get_pos(uint32_t id, JoyPosition& out) = 0;
    virtual uint32_t joy_get_caps(uint32_t id, JoyCaps& out) = 0;
};

// Sound effects by number (1..7). Effect 1 returns only when it has ended.
class SoundPort {
  public:
    virtual ~SoundPort() = default;
    // Opens the sound device and loads the effects; runs once at start-up.
    // Without a device or a file the game goes on silent.
    virtual void set_up() {}
    virtual void play_effect(int32_t effect_number) = 0;
};

// The music command channel: the game's command strings ("open ...",
// "play midifile from 0", "status midifile mode", ...). Returns 0 on success;
// a command with a return buffer writes at most return_length - 1 characters.
class MusicPort {
  public:
    virtual ~MusicPort() = default;
    virtual uint32_t send_command(std::string_view command, std::string* return_text,
                                  int32_t return_length) = 0;
};

// Text faces of the game.
enum class Face { gothic, mincho };

struct TextStyle {
    Face face = Face::gothic;
    double points = 9.0;
    bool bold = true;
    uint32_t colour = 0xFF000000;  // 0xAARRGGBB
};

// Text output at a pen position; returns the font's line height in pixels so
// that a line end can move the pen down.
class TextPort {
  public:
    virtual ~TextPort() = default;
    virtual int32_t draw_text(FrameBuffer& target, double x, double y, std::string_view utf8,
                              const TextStyle& style) = 0;
    virtual int32_t line_height(const TextStyle& style) = 0;
};

// The game window: caption, refresh of the frame, and the desktop's events.
class WindowPort {
  public:
    virtual ~WindowPort() = default;
    virtual void set_caption(std::string_view caption) = 0;
    virtual std::string caption() const = 0;
    virtual void refresh(const FrameBuffer& frame) = 0;
    // Shows the window once start-up is done.
    virtual void show() {}
    // Handles pending desktop events; returns false once the window was closed.
    virtual bool pump_events() = 0;
    // True once after the window lost the keyboard focus.
    virtual bool take_focus_lost() { return false; }
};

// Files: the program's folder and the open-file dialog.
class FilesPort {
  public:
    virtual ~FilesPort() = default;
    virtual std::string program_folder() = 0;
    // Shows the open-file dialog; nullopt when cancelled.
    virtual std::optional<std::string> open_file_dialog(std::string_view filter) = 0;
    // Tells the player about a problem (a message box, or stderr when headless).
    virtual void show_message(std::string_view title, std::string_view text) = 0;
};

struct Ports {
    ClockPort& clock;
    InputPort& input;
    SoundPort& sound;
    MusicPort& music;
    TextPort& text;
    WindowPort& window;
    FilesPort& files;
};

}  // namespace vorne
