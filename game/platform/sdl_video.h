// The window port through SDL2: the window, its events and the picture shown
// in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/ports/ports.h"
#include "game/render/frame_buffer.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace vorne {

// A rectangle of the desktop, in SDL's screen coordinates.
struct ScreenArea {
    int x = 0, y = 0, w = 0, h = 0;
};

struct SdlDisplayArea {
    ScreenArea bounds;  // the whole display
    ScreenArea usable;  // less the panels and docks of the desktop
};

// The displays SDL knows, in its order; empty when it cannot tell.
std::vector<SdlDisplayArea> sdl_displays();

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
    // Placing the window before it shows: at a point of the desktop, or
    // centred on a display; fullscreen takes effect when it shows.
    void move_to(int x, int y);
    void centre_on(int display);
    void set_fullscreen(bool on);
    // Where the window is, or was before it went fullscreen (the corner of
    // its frame, decorations included), and the size of its drawing area.
    ScreenArea windowed_area() const;
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
    ScreenArea windowed_;  // kept while fullscreen
};

}  // namespace vorne
