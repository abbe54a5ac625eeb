// The window port through SDL2: the window, its events and the picture shown
// in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/ports/ports.h"
#include "game/render/frame_buffer.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;
union SDL_Event;

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

// Where a size x size picture sits in a window: the largest whole-number
// scale that fits (at least 1), centred.
struct PictureRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t scale = 1;
};
PictureRect fit_picture(int32_t window_w, int32_t window_h, int32_t size);

// Writes a width x height picture scale times larger at dst: each row is
// widened once, then copied scale - 1 times below itself. Pixels are
// bytes_per_pixel wide (1 to 4); pitches are in bytes.
void scale_picture(const uint8_t* src, int32_t src_pitch, int32_t width, int32_t height,
                   int32_t bytes_per_pixel, int32_t scale, uint8_t* dst, int32_t dst_pitch);

class SdlWindow : public WindowPort {
  public:
    // Creates the hidden window with a 200 x 200 drawing area shown at scale.
    // renderer: "gpu" draws through SDL's accelerated renderer, "software"
    // through the window's own surface with our scaler, "auto" the renderer
    // where there is a real GPU and the surface where OpenGL is only a
    // software one (llvmpipe, softpipe) or none is accelerated.
    SdlWindow(int scale, std::string caption, std::string_view renderer = "auto");
    ~SdlWindow() override;
    bool ok() const { return window_ && (surface_mode_ || (renderer_ && texture_)); }
    const std::string& error() const { return error_; }
    SDL_Window* handle() const { return window_; }
    // "window surface" or the SDL renderer's name.
    std::string presenter() const;

    void set_caption(std::string_view caption) override;
    std::string caption() const override { return caption_; }
    // Shows the frame: only the rows that changed, and nothing when none did
    // unless the window was exposed or resized meanwhile.
    void refresh(const FrameBuffer& frame) override;
    void show() override;
    // Also toggles fullscreen on F11 and Alt+Enter (keys the game never reads)
    // and notes joysticks plugged in or out.
    bool pump_events() override;
    bool take_focus_lost() override { return std::exchange(focus_lost_, false); }
    // While a dialog holds the game: reads the desktop's events into SDL's
    // queue (for pump_events later) and shows the last picture again where
    // the window was exposed or resized.
    void keep_showing();
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
    bool focus_lost_ = false;  // since the last take_focus_lost
    static int watch_events(void* self, SDL_Event* event);
    bool software_opengl() const;
    // Shows shown_ again; rows first_row..last_row of it are new.
    void present(int32_t first_row, int32_t last_row);
    void present_on_surface(int32_t first_row, int32_t last_row);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool surface_mode_ = false;
    std::vector<Pixel> shown_;      // the picture last presented
    std::vector<uint8_t> staging_;  // shown_ in the surface's format when it is not 32-bit RGB
    SDL_Surface* surface_seen_ = nullptr;
    int32_t surface_w_ = 0, surface_h_ = 0;
    bool exposed_ = false;  // set by the event watch: present again
    bool resized_ = false;  // set by the event watch: the black bars again
    std::string caption_;
    std::string error_;
    bool devices_changed_ = false;
    ScreenArea windowed_;  // kept while fullscreen
};

}  // namespace vorne
