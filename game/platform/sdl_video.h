// The window port through SDL2: the window, its events and the picture shown
// in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/ports/ports.h"
#include "game/render/frame_buffer.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace vorne {

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

}  // namespace vorne
