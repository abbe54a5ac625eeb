// The browser's adapters of the ports. Everything the page does (drawing on
// the canvas, WebAudio, the file picker, messages) is in library_vorne.js;
// these classes only ask it. Waiting (the pacing, the fanfare, a dialog)
// hands the browser its turn through Asyncify, so the tick loop reads as it
// does on the desktop and the page never busy-waits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/audio/audio.h"
#include "game/audio/music_commands.h"
#include "game/platform/web/frame_clock.h"
#include "game/ports/ports.h"

namespace vorne {

// Milliseconds from the page's clock; waits end on display frames (see
// frame_clock.h).
class WebClock : public ClockPort {
  public:
    uint32_t now_ms() override;
    void sleep_ms(uint32_t ms) override;
    void sleep_until_ms(uint32_t deadline) override;

  private:
    FrameClock frames_;
};

// Keys by position (KeyboardEvent.code) and the standard gamepad layout, as
// the desktop maps a game controller.
class WebInput : public InputPort {
  public:
    WebInput();
    ~WebInput() override;
    WebInput(const WebInput&) = delete;
    WebInput& operator=(const WebInput&) = delete;
    bool key_down(int32_t virtual_key) override;
    uint32_t joy_num_devs() override;
    uint32_t joy_get_pos(uint32_t id, JoyPosition& out) override;
    uint32_t joy_get_caps(uint32_t id, JoyCaps& out) override;
    // True once after a gamepad was connected or disconnected.
    bool take_devices_changed();
    // Lets go of every key (the page lost the focus: their releases are lost).
    void release_all();

    std::array<bool, 256> down{};
    bool devices_changed = false;
};

// Effects through WebAudio: the same rule as the desktop (effect 1 holds the
// tick until it has ended; 2..7 one voice each).
class WebSound : public SoundPort, private EffectMixer {
  public:
    explicit WebSound(std::string program_folder) : folder_(std::move(program_folder)) {}
    void set_up() override;
    void play_effect(int32_t effect_number) override;

  private:
    bool channel_playing(int32_t channel) override;
    void start_channel(int32_t channel) override;
    void wait_for_channel(int32_t channel) override;
    std::string folder_;
};

// The pieces as the build rendered them (music/NAME.ogg on the site), played
// through WebAudio; a piece counts as present when its MIDI file is in the
// game's folder, as on the desktop.
class WebMidiPlayer : public MidiPlayer {
  public:
    // Fetches and decodes a piece ahead of its first use.
    void preload(const std::string& path);
    bool load(const std::string& path) override;
    void play_from_start() override;
    void stop() override;
    void unload() override;
    bool is_playing() override;
    void pause() override;
    void resume() override;

  private:
    std::string loaded_;
};

// The page: the canvas, the page title as the caption, the focus.
class WebWindow : public WindowPort {
  public:
    explicit WebWindow(WebInput& input) : input_(input) {}
    void set_caption(std::string_view caption) override;
    std::string caption() const override { return caption_; }
    void refresh(const FrameBuffer& frame) override;
    bool pump_events() override { return true; }
    bool take_focus_lost() override;

  private:
    WebInput& input_;
    std::string caption_;
    std::vector<uint8_t> rgba_;
};

// The bundled files live in /game; a stage file chosen in the browser's
// file picker is copied into /chosen first.
class WebFiles : public FilesPort {
  public:
    explicit WebFiles(std::string folder) : folder_(std::move(folder)) {}
    std::string program_folder() override { return folder_; }
    std::optional<std::string> open_file_dialog(std::string_view filter) override;
    void show_message(std::string_view title, std::string_view text) override;

  private:
    std::string folder_;
};

// Waits for the player to start again after quitting (the page's button).
void wait_for_restart();

// The stage file the page was asked to play (?map=URL), fetched before the
// game started; empty when none. A fetch that failed is reported through
// `problem`.
std::string page_map_path(std::string& problem);

}  // namespace vorne
