#include "game/platform/sdl_video.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>

namespace vorne {

PictureRect fit_picture(int32_t window_w, int32_t window_h, int32_t size) {
    PictureRect at;
    at.scale = std::max<int32_t>(1, std::min(window_w, window_h) / size);
    at.x = (window_w - size * at.scale) / 2;
    at.y = (window_h - size * at.scale) / 2;
    return at;
}

void scale_picture(const uint8_t* src, int32_t src_pitch, int32_t width, int32_t height,
                   int32_t bytes_per_pixel, int32_t scale, uint8_t* dst, int32_t dst_pitch) {
    const size_t bpp = static_cast<size_t>(bytes_per_pixel);
    const size_t row_bytes = static_cast<size_t>(width) * scale * bpp;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = src + static_cast<ptrdiff_t>(y) * src_pitch;
        uint8_t* out = dst + static_cast<ptrdiff_t>(y) * scale * dst_pitch;
        uint8_t* o = out;
        if (bpp == 4) {
            for (int32_t x = 0; x < width; ++x) {
                uint32_t p;
                std::memcpy(&p, in + x * 4, 4);
                for (int32_t k = 0; k < scale; ++k, o += 4)
                    std::memcpy(o, &p, 4);
            }
        } else {
            for (int32_t x = 0; x < width; ++x)
                for (int32_t k = 0; k < scale; ++k, o += bpp)
                    std::memcpy(o, in + x * bpp, bpp);
        }
        for (int32_t k = 1; k < scale; ++k)
            std::memcpy(out + static_cast<ptrdiff_t>(k) * dst_pitch, out, row_bytes);
    }
}

SdlWindow::SdlWindow(int scale, std::string caption, std::string_view renderer)
    : caption_(std::move(caption)) {
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
    SDL_AddEventWatch(&SdlWindow::watch_events, this);
    if (renderer != "software") {
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (renderer_ && renderer != "gpu" && software_opengl()) {
            // Drawing a scaled texture through a software OpenGL costs far
            // more than our own row copies to the window's surface.
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
        }
        if (!renderer_ && renderer == "gpu")
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer_ && renderer != "gpu") {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_GetWindowSurface(window_)) {
            surface_mode_ = true;
            return;
        }
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    }
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
    if (window_) SDL_DelEventWatch(&SdlWindow::watch_events, this);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

bool SdlWindow::software_opengl() const {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer_, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE))
        return true;
    if (std::string_view(info.name).rfind("opengl", 0) != 0) return false;
    // The renderer's context is current once it is created.
    using GetString = const unsigned char* (*)(unsigned);
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!get_string || !SDL_GL_GetCurrentContext()) return false;
    const unsigned char* name = get_string(0x1F01);  // GL_RENDERER
    if (!name) return false;
    std::string lower(reinterpret_cast<const char*>(name));
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* soft : {"llvmpipe", "softpipe", "software rasterizer", "swrast"})
        if (lower.find(soft) != std::string::npos) return true;
    return false;
}

std::string SdlWindow::presenter() const {
    if (surface_mode_) return "window surface";
    SDL_RendererInfo info;
    if (renderer_ && SDL_GetRendererInfo(renderer_, &info) == 0) return info.name;
    return "none";
}

int SdlWindow::watch_events(void* self, SDL_Event* event) {
    auto* w = static_cast<SdlWindow*>(self);
    if (event->type == SDL_WINDOWEVENT && event->window.windowID == SDL_GetWindowID(w->window_)) {
        switch (event->window.event) {
            case SDL_WINDOWEVENT_EXPOSED:
                w->exposed_ = true;
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_RESIZED:
                w->resized_ = true;
                break;
            default:
                break;
        }
    }
    return 1;
}

void SdlWindow::set_caption(std::string_view caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (window_) SDL_SetWindowTitle(window_, caption_.c_str());
}

void SdlWindow::refresh(const FrameBuffer& frame) {
    if (!ok()) return;
    // Only the rows that differ from the picture on screen are sent again.
    const int32_t size = FrameBuffer::size;
    const std::vector<Pixel>& pixels = frame.pixels();
    int32_t first = size, last = -1;
    if (shown_.size() != pixels.size()) {
        shown_ = pixels;
        first = 0;
        last = size - 1;
    } else {
        for (int32_t y = 0; y < size; ++y) {
            const size_t at = static_cast<size_t>(y) * size;
            if (std::memcmp(&pixels[at], &shown_[at], size * sizeof(Pixel)) == 0) continue;
            first = std::min(first, y);
            last = y;
        }
        if (first <= last)
            std::memcpy(&shown_[static_cast<size_t>(first) * size],
                        &pixels[static_cast<size_t>(first) * size],
                        static_cast<size_t>(last - first + 1) * size * sizeof(Pixel));
    }
    if (first > last && !exposed_ && !resized_) return;  // the screen shows it already
    present(first, last);
}

void SdlWindow::keep_showing() {
    SDL_PumpEvents();
    if ((exposed_ || resized_) && ok() && !shown_.empty()) present(FrameBuffer::size, -1);
}

void SdlWindow::present(int32_t first_row, int32_t last_row) {
    if (surface_mode_) {
        present_on_surface(first_row, last_row);
        return;
    }
    exposed_ = resized_ = false;
    const int size = FrameBuffer::size;
    if (first_row <= last_row)
        SDL_UpdateTexture(texture_, nullptr, shown_.data(), size * static_cast<int>(sizeof(Pixel)));
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlWindow::present_on_surface(int32_t first_row, int32_t last_row) {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    const int32_t size = FrameBuffer::size;
    // A new or resized surface holds nothing yet: bars and picture again.
    bool fresh = resized_ || s != surface_seen_ || s->w != surface_w_ || s->h != surface_h_;
    bool whole = fresh || exposed_;
    exposed_ = resized_ = false;
    surface_seen_ = s;
    surface_w_ = s->w;
    surface_h_ = s->h;
    PictureRect at = fit_picture(s->w, s->h, size);
    const int32_t side = size * at.scale;
    const bool fits = at.x >= 0 && at.y >= 0;
    if (fresh) {
        Uint32 black = SDL_MapRGB(s->format, 0, 0, 0);
        if (!fits) {
            SDL_FillRect(s, nullptr, black);
        } else {
            // Only the bars around the picture.
            const SDL_Rect bars[4] = {{0, 0, s->w, at.y},
                                      {0, at.y + side, s->w, s->h - at.y - side},
                                      {0, at.y, at.x, side},
                                      {at.x + side, at.y, s->w - at.x - side, side}};
            SDL_FillRects(s, bars, 4, black);
        }
    }
    if (fresh) {
        first_row = 0;
        last_row = size - 1;
    }
    if (fits && first_row <= last_row) {
        if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
        const int32_t bpp = s->format->BytesPerPixel;
        const uint8_t* src = reinterpret_cast<const uint8_t*>(shown_.data());
        int32_t pitch = size * static_cast<int32_t>(sizeof(Pixel));
        if (s->format->format != SDL_PIXELFORMAT_ARGB8888 &&
            s->format->format != SDL_PIXELFORMAT_RGB888) {
            staging_.resize(static_cast<size_t>(size) * size * bpp);
            SDL_ConvertPixels(size, size, SDL_PIXELFORMAT_ARGB8888, src, pitch, s->format->format,
                              staging_.data(), size * bpp);
            src = staging_.data();
            pitch = size * bpp;
        }
        scale_picture(src + first_row * pitch, pitch, size, last_row - first_row + 1, bpp, at.scale,
                      static_cast<uint8_t*>(s->pixels) + (at.y + first_row * at.scale) * s->pitch +
                          at.x * bpp,
                      s->pitch);
        if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    }
    if (whole || !fits) {
        SDL_UpdateWindowSurface(window_);
    } else if (first_row <= last_row) {
        const SDL_Rect band{at.x, at.y + first_row * at.scale, side,
                            (last_row - first_row + 1) * at.scale};
        SDL_UpdateWindowSurfaceRects(window_, &band, 1);
    }
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
                if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) focus_lost_ = true;
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
