// SDL2 adapters of the game's ports. Only the .cpp files of this folder
// include SDL.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/audio/audio.h"
#include "game/audio/music_commands.h"
#include "game/render/frame_buffer.h"
#include "game/ports/ports.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct _SDL_Joystick;
struct _SDL_GameController;
struct Mix_Chunk;
struct _Mix_Music;

namespace vorne {

// The folder that holds the running program (without a trailing slash).
std::string running_program_folder();

// A millisecond tick count of the monotonic clock, wrapping at 2^32.
class SystemClock : public ClockPort {
  public:
    uint32_t now_ms() override;
    // 0 is a spin step: a short pause of a fraction of a millisecond.
    void sleep_ms(uint32_t ms) override;
};

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

class SdlWindow : public WindowPort {
  public:
    // Creates the hidden window with a 200 x 200 drawing area shown at scale.
    SdlWindow(int scale, std::string caption);
    ~SdlWindow() override;
    bool ok() const { return window_ && renderer_ && texture_; }
    const std::string& error() const { return error_; }
    SDL_Window* handle() const { return window_; }

    void set_caption(std::string_view caption) override;
    std::string caption() const override { return caption_; }
    void refresh(const FrameBuffer& frame) override;
    void show() override;
    // Also toggles fullscreen on F11 and Alt+Enter (keys the game never reads)
    // and notes joysticks plugged in or out.
    bool pump_events() override;
    bool fullscreen() const;
    void toggle_fullscreen();
    // The window's icon: a 20 x 20 sprite of a sheet, transparent outside its
    // silhouette, shown twice its size.
    void set_icon(const Image& sheet, int32_t silhouette_x, int32_t silhouette_y, int32_t image_x,
                  int32_t image_y);
    // True once after a joystick or gamepad was plugged in or out.
    bool take_devices_changed();

  private:
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::string caption_;
    std::string error_;
    bool devices_changed_ = false;
};

// Effects through SDL2_mixer: effects 2..7 each on a channel of their own,
// effect 1 played to its end before returning.
class SdlSound : public SoundPort, private EffectMixer {
  public:
    explicit SdlSound(std::string program_folder) : folder_(std::move(program_folder)) {}
    ~SdlSound() override;
    void set_up() override;
    void play_effect(int32_t effect_number) override;
    bool device_open() const { return device_open_; }

  private:
    bool channel_playing(int32_t channel) override;
    void start_channel(int32_t channel) override;
    void wait_for_channel(int32_t channel) override;

    std::string folder_;
    bool device_open_ = false;
    std::vector<Mix_Chunk*> chunks_ = std::vector<Mix_Chunk*>(8, nullptr);
};

// MIDI through SDL2_mixer (FluidSynth). Pieces stay loaded once read, so the
// tick that starts one does not wait for the synthesiser.
class SdlMidiPlayer : public MidiPlayer {
  public:
    ~SdlMidiPlayer() override;
    // Loads a piece ahead of its first use.
    void preload(const std::string& path);
    bool load(const std::string& path) override;
    void play_from_start() override;
    void stop() override;
    void unload() override;
    bool is_playing() override;

  private:
    _Mix_Music* find_or_load(const std::string& path);
    std::map<std::string, _Mix_Music*> cache_;
    _Mix_Music* current_ = nullptr;
};

class SdlFiles : public FilesPort {
  public:
    SdlFiles(std::string folder, SdlWindow* window) : folder_(std::move(folder)), window_(window) {}
    std::string program_folder() override { return folder_; }
    std::optional<std::string> open_file_dialog(std::string_view filter) override;
    void show_message(std::string_view title, std::string_view text) override;

  private:
    std::string folder_;
    SdlWindow* window_;
};

}  // namespace vorne
