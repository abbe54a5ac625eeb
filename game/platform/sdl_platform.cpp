#include "game/platform/sdl_platform.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "game/render/frame_buffer.h"

namespace vorne {

std::string running_program_folder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return exe.parent_path().string();
}

// ---- clock ----

uint32_t SystemClock::now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SystemClock::sleep_ms(uint32_t ms) {
    timespec ts{};
    if (ms == 0) {
        ts.tv_nsec = 200 * 1000;  // a light spin step
    } else {
        ts.tv_sec = ms / 1000;
        ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    }
    nanosleep(&ts, nullptr);
}

// ---- input ----

namespace {

// Keys by physical position, so Z and X sit where they do on a US keyboard
// whatever the layout.
SDL_Scancode scancode_of(int32_t vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (vk - 'A'));
    if (vk >= '1' && vk <= '9') return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (vk - '1'));
    switch (vk) {
        case '0':
            return SDL_SCANCODE_0;
        case 8:
            return SDL_SCANCODE_BACKSPACE;
        case 9:
            return SDL_SCANCODE_TAB;
        case 13:
            return SDL_SCANCODE_RETURN;
        case 27:
            return SDL_SCANCODE_ESCAPE;
        case 32:
            return SDL_SCANCODE_SPACE;
        case 37:
            return SDL_SCANCODE_LEFT;
        case 38:
            return SDL_SCANCODE_UP;
        case 39:
            return SDL_SCANCODE_RIGHT;
        case 40:
            return SDL_SCANCODE_DOWN;
        default:
            return SDL_SCANCODE_UNKNOWN;
    }
}

}  // namespace

SdlInput::SdlInput() = default;

SdlInput::~SdlInput() {
    reset_devices();
}

void SdlInput::reset_devices() {
    for (auto& [id, device] : devices_) {
        if (device.controller)
            SDL_GameControllerClose(device.controller);
        else if (device.joystick)
            SDL_JoystickClose(device.joystick);
    }
    devices_.clear();
}

bool SdlInput::key_down(int32_t virtual_key) {
    SDL_Scancode code = scancode_of(virtual_key);
    if (code == SDL_SCANCODE_UNKNOWN) return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return code < count && state[code] != 0;
}

uint32_t SdlInput::joy_num_devs() {
    int n = SDL_NumJoysticks();
    return n > 0 ? static_cast<uint32_t>(n) : 0;
}

SdlInput::Device SdlInput::open(uint32_t id) {
    auto it = devices_.find(id);
    if (it != devices_.end()) return it->second;
    Device device;
    int index = static_cast<int>(id);
    if (SDL_IsGameController(index)) {
        device.controller = SDL_GameControllerOpen(index);
        if (device.controller) device.joystick = SDL_GameControllerGetJoystick(device.controller);
    }
    if (!device.joystick) device.joystick = SDL_JoystickOpen(index);
    devices_[id] = device;
    return device;
}

uint32_t SdlInput::joy_get_pos(uint32_t id, JoyPosition& out) {
    Device device = open(id);
    if (!device.joystick || !SDL_JoystickGetAttached(device.joystick)) return 1;
    SDL_JoystickUpdate();
    // SDL's axes run -32768..32767; the game's stick rules expect 0..65535.
    auto to_range = [](Sint16 v) { return static_cast<uint32_t>(v + 32768); };
    out.z = 32768;
    out.buttons = 0;
    if (SDL_GameController* pad = device.controller) {
        auto button = [&](SDL_GameControllerButton b) {
            return SDL_GameControllerGetButton(pad, b) != 0;
        };
        auto axis = [&](SDL_GameControllerAxis a, SDL_GameControllerButton low,
                        SDL_GameControllerButton high) -> uint32_t {
            if (button(low) != button(high)) return button(low) ? 0u : 65535u;
            return to_range(SDL_GameControllerGetAxis(pad, a));
        };
        out.x = axis(SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                     SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        out.y = axis(SDL_CONTROLLER_AXIS_LEFTY, SDL_CONTROLLER_BUTTON_DPAD_UP,
                     SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        if (button(SDL_CONTROLLER_BUTTON_A) || button(SDL_CONTROLLER_BUTTON_START))
            out.buttons |= 1;
        if (button(SDL_CONTROLLER_BUTTON_B)) out.buttons |= 2;
        if (button(SDL_CONTROLLER_BUTTON_BACK)) out.buttons |= 4;
        if (button(SDL_CONTROLLER_BUTTON_Y)) out.buttons |= 8;
        return 0;
    }
    SDL_Joystick* joystick = device.joystick;
    auto raw_axis = [&](int index) -> uint32_t {
        if (index >= SDL_JoystickNumAxes(joystick)) return 32768;
        return to_range(SDL_JoystickGetAxis(joystick, index));
    };
    out.x = raw_axis(0);
    out.y = raw_axis(1);
    out.z = raw_axis(2);
    int buttons = std::min(SDL_JoystickNumButtons(joystick), 4);
    for (int b = 0; b < buttons; ++b)
        if (SDL_JoystickGetButton(joystick, b)) out.buttons |= 1u << b;
    return 0;
}

uint32_t SdlInput::joy_get_caps(uint32_t id, JoyCaps& out) {
    Device device = open(id);
    if (!device.joystick) return 1;
    out.x_min = 0;
    out.x_max = 65535;
    out.y_min = 0;
    out.y_max = 65535;
    int buttons = device.controller ? 4 : SDL_JoystickNumButtons(device.joystick);
    out.num_buttons = buttons > 0 ? static_cast<uint32_t>(buttons) : 0;
    return 0;
}

// ---- window ----

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
    // Fullscreen on the window's own display; the picture keeps whole-number
    // scales, centred on black.
    if (window_) SDL_SetWindowFullscreen(window_, fullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
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

// ---- sound ----

namespace {

const std::array<const char*, 8> effect_files = {
    nullptr,      "clear.wav", "kinka.wav",  "door.wav",
    "yarare.wav", "over.wav",  "kogeki.wav", "tekiyarare.wav",
};

}  // namespace

SdlSound::~SdlSound() {
    if (!device_open_) return;
    Mix_HaltChannel(-1);
    for (Mix_Chunk* chunk : chunks_)
        if (chunk) Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSound::set_up() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        std::cerr << "vorne1.0: no sound device (" << SDL_GetError()
                  << "); playing without sound\n";
        return;
    }
    device_open_ = true;
    Mix_Init(MIX_INIT_MID);
    Mix_AllocateChannels(static_cast<int>(effect_files.size()));
    std::string missing;
    for (size_t n = 1; n < effect_files.size(); ++n) {
        std::string path = folder_ + "/sound/" + effect_files[n];
        chunks_[n] = Mix_LoadWAV(path.c_str());
        if (!chunks_[n]) missing += (missing.empty() ? "" : ", ") + path;
    }
    if (!missing.empty())
        std::cerr << "vorne1.0: cannot load " << missing << "; those effects stay silent\n";
}

void SdlSound::play_effect(int32_t n) {
    if (!device_open_ || n < 1 || n >= static_cast<int32_t>(chunks_.size()) || !chunks_[n]) return;
    play_effect_on(*this, n);
}

bool SdlSound::channel_playing(int32_t channel) {
    return Mix_Playing(channel) != 0;
}

void SdlSound::start_channel(int32_t channel) {
    Mix_PlayChannel(channel, chunks_[channel], 0);
}

void SdlSound::wait_for_channel(int32_t channel) {
    // The window keeps answering the desktop while the fanfare holds the game.
    while (Mix_Playing(channel)) {
        SDL_PumpEvents();
        SDL_Delay(5);
    }
}

// ---- music ----

SdlMidiPlayer::~SdlMidiPlayer() {
    Mix_HaltMusic();
    for (auto& [path, music] : cache_)
        if (music) Mix_FreeMusic(music);
}

_Mix_Music* SdlMidiPlayer::find_or_load(const std::string& path) {
    auto it = cache_.find(path);
    if (it != cache_.end() && it->second) return it->second;
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (music) cache_[path] = music;
    return music;
}

void SdlMidiPlayer::preload(const std::string& path) {
    find_or_load(path);
}

bool SdlMidiPlayer::load(const std::string& path) {
    current_ = find_or_load(path);
    return current_ != nullptr;
}

void SdlMidiPlayer::play_from_start() {
    if (current_) Mix_PlayMusic(current_, 0);
}

void SdlMidiPlayer::stop() {
    Mix_HaltMusic();
}

void SdlMidiPlayer::unload() {
    Mix_HaltMusic();
    current_ = nullptr;  // stays cached for the next time
}

bool SdlMidiPlayer::is_playing() {
    return current_ && Mix_PlayingMusic();
}

// ---- files ----

namespace {

// Runs a dialog program and returns the first line it prints, or nullopt when
// it was cancelled or could not run.
std::optional<std::string> run_dialog(const std::vector<std::string>& argv) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return std::nullopt;
    pid_t pid = fork();
    if (pid < 0) {
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipe_fds[1]);
    // The game waits for the answer as for a modal dialog, but the window
    // keeps answering the desktop meanwhile.
    std::string output;
    char buffer[4096];
    for (;;) {
        pollfd ready{pipe_fds[0], POLLIN, 0};
        int polled = poll(&ready, 1, 30);
        SDL_PumpEvents();
        if (polled < 0 && errno != EINTR) break;
        if (polled <= 0) continue;
        ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.append(buffer, static_cast<size_t>(n));
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    size_t end = output.find('\n');
    if (end != std::string::npos) output.resize(end);
    if (output.empty()) return std::nullopt;
    return output;
}

bool on_path(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::optional<std::string> SdlFiles::open_file_dialog(std::string_view filter) {
    // The filter "label(*.ext)|*.ext|" becomes the desktop dialog's own form.
    std::string label = "データ(*.dat)", pattern = "*.dat";
    std::string f(filter);
    size_t bar = f.find('|');
    if (bar != std::string::npos) {
        label = f.substr(0, bar);
        size_t bar2 = f.find('|', bar + 1);
        pattern = f.substr(bar + 1, bar2 == std::string::npos ? std::string::npos : bar2 - bar - 1);
    }
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    bool kde = desktop && std::string(desktop).find("KDE") != std::string::npos;
    bool have_zenity = on_path("zenity"), have_kdialog = on_path("kdialog");
    if (have_kdialog && (kde || !have_zenity))
        return run_dialog({"kdialog", "--getopenfilename", folder_, pattern + "|" + label});
    if (have_zenity)
        return run_dialog({"zenity", "--file-selection", "--title=VORNE",
                           "--filename=" + folder_ + "/",
                           "--file-filter=" + label + " | " + pattern});
    show_message("VORNE", "No file dialog is available: install zenity or kdialog.");
    return std::nullopt;
}

void SdlFiles::show_message(std::string_view title, std::string_view text) {
    std::string t(title), m(text);
    std::cerr << "vorne1.0: " << m << '\n';
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, t.c_str(), m.c_str(),
                             window_ ? window_->handle() : nullptr);
}

}  // namespace vorne
