#include "game/platform/sdl_video.h"

#include <SDL.h>

#include <algorithm>

namespace vorne {

SdlWindow::SdlWindow(int scale, std::string caption) : caption_(std::move(caption)) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");  // nearest pixel
    const int size = FrameBuffer::size;
    window_ =
        SDL_CreateWindow(caption_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         size * scale, size * scale, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window_) {
        error_ = SDL_GetError();
        return;
    }
    SDL_SetWindowMinimumSize(window_, size, size);
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        error_ = SDL_GetError();
        return;
    }
    // Whole-number scales only, centred on black when the window is resized.
    SDL_RenderSetLogicalSize(renderer_, size, size);
    SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 size, size);
    if (!texture_) error_ = SDL_GetError();
}

SdlWindow::~SdlWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

void SdlWindow::set_caption(std::string_view caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (window_) SDL_SetWindowTitle(window_, caption_.c_str());
}

void SdlWindow::refresh(const FrameBuffer& frame) {
    if (!ok()) return;
    SDL_UpdateTexture(texture_, nullptr, frame.pixels().data(),
                      frame.width() * static_cast<int>(sizeof(Pixel)));
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlWindow::show() {
    if (window_) SDL_ShowWindow(window_);
}

bool SdlWindow::pump_events() {
    SDL_Event event;
    bool open = true;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                open = false;
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) open = false;
                break;
            case SDL_KEYDOWN: {
                const SDL_Keysym& key = event.key.keysym;
                bool enter =
                    key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
                if (!event.key.repeat &&
                    (key.scancode == SDL_SCANCODE_F11 || (enter && (key.mod & KMOD_ALT))))
                    toggle_fullscreen();
                break;
            }
            case SDL_JOYDEVICEADDED:
            case SDL_JOYDEVICEREMOVED:
                devices_changed_ = true;
                break;
            default:
                break;
        }
    }
    return open;
}

bool SdlWindow::fullscreen() const {
    return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                          SDL_WINDOW_FULLSCREEN_DESKTOP;
}

void SdlWindow::toggle_fullscreen() {
    set_fullscreen(!fullscreen());
}

void SdlWindow::set_fullscreen(bool on) {
    // Fullscreen on the window's own display; the picture keeps whole-number
    // scales, centred on black.
    if (!window_ || on == fullscreen()) return;
    if (on) windowed_ = windowed_area();
    SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlWindow::move_to(int x, int y) {
    if (window_) SDL_SetWindowPosition(window_, x, y);
}

void SdlWindow::centre_on(int display) {
    if (window_)
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

ScreenArea SdlWindow::windowed_area() const {
    if (!window_ || fullscreen()) return windowed_;
    ScreenArea area;
    SDL_GetWindowPosition(window_, &area.x, &area.y);
    SDL_GetWindowSize(window_, &area.w, &area.h);
    // The frame's corner: a window placed before it shows has its frame put
    // there by the window manager, so the next run opens where this one was.
    int top = 0, left = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr) == 0) {
        area.x -= left;
        area.y -= top;
    }
    return area;
}

std::vector<SdlDisplayArea> sdl_displays() {
    std::vector<SdlDisplayArea> displays;
    int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds, usable;
        if (SDL_GetDisplayBounds(i, &bounds) != 0) return {};
        if (SDL_GetDisplayUsableBounds(i, &usable) != 0) usable = bounds;
        displays.push_back(
            {{bounds.x, bounds.y, bounds.w, bounds.h}, {usable.x, usable.y, usable.w, usable.h}});
    }
    return displays;
}

void SdlWindow::set_icon(const Image& sheet, int32_t silhouette_x, int32_t silhouette_y,
                         int32_t image_x, int32_t image_y) {
    constexpr int size = 20, scale = 2;
    if (!window_ || sheet.width() < std::max(silhouette_x, image_x) + size ||
        sheet.height() < std::max(silhouette_y, image_y) + size)
        return;
    SDL_Surface* icon =
        SDL_CreateRGBSurfaceWithFormat(0, size * scale, size * scale, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    for (int y = 0; y < size * scale; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(icon->pixels) + y * icon->pitch);
        for (int x = 0; x < size * scale; ++x) {
            bool inside =
                (sheet.at(silhouette_x + x / scale, silhouette_y + y / scale) & 0xFFFFFF) != 0;
            Pixel p = sheet.at(image_x + x / scale, image_y + y / scale);
            row[x] = inside ? (p | 0xFF000000u) : 0;
        }
    }
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
}

bool SdlWindow::take_devices_changed() {
    bool changed = devices_changed_;
    devices_changed_ = false;
    return changed;
}

}  // namespace vorne
