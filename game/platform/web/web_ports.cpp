#include "game/platform/web/web_ports.h"

#include <emscripten/html5.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "game/render/frame_buffer.h"

// The page's side: library_vorne.js. The functions marked "waits" hand the
// browser its turn (Asyncify) and return when what they wait for happened.
extern "C" {
double vorne_now_ms();
double vorne_wait_frame();   // waits for the next display frame; returns its frame interval
void vorne_wait_ms(int ms);  // waits
void vorne_present(const uint8_t* rgba, int width, int height);
void vorne_set_title(const char* title);
int vorne_take_focus_lost();
int vorne_focus_in_control();  // the focus is in a button, list or field of the page
void vorne_audio_set_up(const char* folder);
void vorne_effect_start(int n);
int vorne_effect_playing(int n);
void vorne_effect_wait(int n);  // waits
void vorne_music_preload(const char* name);
void vorne_music_play(const char* name);
void vorne_music_stop();
int vorne_music_playing();
void vorne_music_pause();
void vorne_music_resume();
char* vorne_open_file();  // waits; malloc'd path, or null when cancelled
void vorne_show_message(const char* title, const char* text);  // waits
void vorne_wait_restart();                                     // waits
char* vorne_page_map(char** problem);                          // malloc'd, or null
}

namespace vorne {
namespace {

std::string take_string(char* text) {
    if (!text) return {};
    std::string copy(text);
    std::free(text);
    return copy;
}

std::string base_name(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// KeyboardEvent.code to the game's virtual-key numbers.
int32_t virtual_key_of(const char* code) {
    const size_t n = std::strlen(code);
    if (n == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z')
        return code[3];
    if (n == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9')
        return code[5];
    static const struct {
        const char* code;
        int32_t vk;
    } named[] = {{"ArrowLeft", 37}, {"ArrowUp", 38}, {"ArrowRight", 39},
                 {"ArrowDown", 40}, {"Escape", 27},  {"Space", 32},
                 {"Enter", 13},     {"Tab", 9},      {"Backspace", 8}};
    for (const auto& k : named)
        if (std::strcmp(code, k.code) == 0) return k.vk;
    return 0;
}

EM_BOOL on_key(int type, const EmscriptenKeyboardEvent* event, void* data) {
    auto* input = static_cast<WebInput*>(data);
    const int32_t vk = virtual_key_of(event->code);
    if (vk == 0 || event->ctrlKey || event->metaKey || event->altKey) return EM_FALSE;
    input->down[static_cast<size_t>(vk)] = type == EMSCRIPTEN_EVENT_KEYDOWN;
    // The page does not scroll on the arrows while playing; every other key
    // keeps its meaning for the page (Enter on a button, Tab, ...), and so do
    // the arrows in the page's own controls.
    return vk >= 37 && vk <= 40 && !vorne_focus_in_control();
}

EM_BOOL on_gamepad(int, const EmscriptenGamepadEvent*, void* data) {
    static_cast<WebInput*>(data)->devices_changed = true;
    return EM_FALSE;
}

}  // namespace

// Clock ---------------------------------------------------------------------

namespace {
uint32_t real_ms() {
    return static_cast<uint32_t>(static_cast<uint64_t>(vorne_now_ms()));
}
}  // namespace

uint32_t WebClock::now_ms() {
    return frames_.read(real_ms());
}

void WebClock::sleep_ms(uint32_t ms) {
    vorne_wait_ms(static_cast<int>(ms));
}

void WebClock::sleep_until_ms(uint32_t deadline) {
    if (static_cast<int32_t>(deadline - now_ms()) <= 0) return;  // late already
    for (;;) {
        const double frame = vorne_wait_frame();
        if (frames_.frame_passed(deadline, real_ms(), frame)) return;
    }
}

// Input ---------------------------------------------------------------------

WebInput::WebInput() {
    const char* target = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(target, this, true, on_key);
    emscripten_set_keyup_callback(target, this, true, on_key);
    emscripten_set_gamepadconnected_callback(this, true, on_gamepad);
    emscripten_set_gamepaddisconnected_callback(this, true, on_gamepad);
}

WebInput::~WebInput() {
    const char* target = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(target, nullptr, true, nullptr);
    emscripten_set_keyup_callback(target, nullptr, true, nullptr);
    emscripten_set_gamepadconnected_callback(nullptr, true, nullptr);
    emscripten_set_gamepaddisconnected_callback(nullptr, true, nullptr);
}

bool WebInput::key_down(int32_t virtual_key) {
    return virtual_key > 0 && virtual_key < 256 && down[static_cast<size_t>(virtual_key)];
}

void WebInput::release_all() {
    down.fill(false);
}

bool WebInput::take_devices_changed() {
    const bool changed = devices_changed;
    devices_changed = false;
    return changed;
}

uint32_t WebInput::joy_num_devs() {
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return 0;
    const int n = emscripten_get_num_gamepads();
    return n > 0 ? static_cast<uint32_t>(n) : 0;
}

uint32_t WebInput::joy_get_pos(uint32_t id, JoyPosition& out) {
    EmscriptenGamepadEvent pad;
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS ||
        emscripten_get_gamepad_status(static_cast<int>(id), &pad) != EMSCRIPTEN_RESULT_SUCCESS ||
        !pad.connected)
        return 1;
    auto button = [&](int b) { return b < pad.numButtons && pad.digitalButton[b]; };
    // The browser's axes run -1..1; the game's stick rules expect 0..65535.
    auto to_range = [](double v) {
        return static_cast<uint32_t>(
            std::lround((std::fmax(-1.0, std::fmin(1.0, v)) + 1) * 32767.5));
    };
    auto axis = [&](int a, int low, int high) -> uint32_t {
        if (button(low) != button(high)) return button(low) ? 0u : 65535u;
        return a < pad.numAxes ? to_range(pad.axis[a]) : 32768u;
    };
    out.z = 32768;
    out.buttons = 0;
    // The standard layout: 0 south, 1 east, 2 west, 3 north, 8 back, 9 start,
    // 12..15 the d-pad up, down, left, right; axes 0 and 1 the left stick.
    out.x = axis(0, 14, 15);
    out.y = axis(1, 12, 13);
    if (button(0) || button(9)) out.buttons |= 1;
    if (button(1)) out.buttons |= 2;
    if (button(8)) out.buttons |= 4;
    if (button(3)) out.buttons |= 8;
    if (button(2)) out.buttons |= 16;  // west: pause
    return 0;
}

uint32_t WebInput::joy_get_caps(uint32_t id, JoyCaps& out) {
    JoyPosition probe;
    if (joy_get_pos(id, probe) != 0) return 1;
    out.x_min = 0;
    out.x_max = 65535;
    out.y_min = 0;
    out.y_max = 65535;
    out.num_buttons = 4;
    return 0;
}

// Sound ---------------------------------------------------------------------

void WebSound::set_up() {
    vorne_audio_set_up((folder_ + "/sound/").c_str());
}

void WebSound::play_effect(int32_t n) {
    play_effect_on(*this, n);
}

bool WebSound::channel_playing(int32_t channel) {
    return vorne_effect_playing(channel) != 0;
}

void WebSound::start_channel(int32_t channel) {
    vorne_effect_start(channel);
}

void WebSound::wait_for_channel(int32_t channel) {
    vorne_effect_wait(channel);
}

// Music ---------------------------------------------------------------------

void WebMidiPlayer::preload(const std::string& path) {
    vorne_music_preload(base_name(path).c_str());
}

bool WebMidiPlayer::load(const std::string& path) {
    loaded_.clear();
    // As on the desktop: the piece is there when its file is.
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        loaded_ = base_name(path);
        vorne_music_preload(loaded_.c_str());
        return true;
    }
    return false;
}

void WebMidiPlayer::play_from_start() {
    if (!loaded_.empty()) vorne_music_play(loaded_.c_str());
}

void WebMidiPlayer::stop() {
    vorne_music_stop();
}

void WebMidiPlayer::unload() {
    vorne_music_stop();
    loaded_.clear();
}

bool WebMidiPlayer::is_playing() {
    return vorne_music_playing() != 0;
}

void WebMidiPlayer::pause() {
    vorne_music_pause();
}

void WebMidiPlayer::resume() {
    vorne_music_resume();
}

// Window --------------------------------------------------------------------

void WebWindow::set_caption(std::string_view caption) {
    if (caption == caption_) return;
    caption_ = caption;
    vorne_set_title(caption_.c_str());
}

void WebWindow::refresh(const FrameBuffer& frame) {
    // The canvas takes R, G, B, A bytes.
    const std::vector<Pixel>& pixels = frame.pixels();
    rgba_.resize(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const Pixel p = pixels[i];
        rgba_[4 * i] = static_cast<uint8_t>(p >> 16);
        rgba_[4 * i + 1] = static_cast<uint8_t>(p >> 8);
        rgba_[4 * i + 2] = static_cast<uint8_t>(p);
        rgba_[4 * i + 3] = 255;
    }
    vorne_present(rgba_.data(), frame.width(), frame.height());
}

bool WebWindow::take_focus_lost() {
    if (!vorne_take_focus_lost()) return false;
    input_.release_all();
    return true;
}

// Files ---------------------------------------------------------------------

std::optional<std::string> WebFiles::open_file_dialog(std::string_view) {
    char* chosen = vorne_open_file();
    if (!chosen) return std::nullopt;
    return take_string(chosen);
}

void WebFiles::show_message(std::string_view title, std::string_view text) {
    vorne_show_message(std::string(title).c_str(), std::string(text).c_str());
}

void wait_for_restart() {
    vorne_wait_restart();
}

std::string page_map_path(std::string& problem) {
    char* why = nullptr;
    std::string path = take_string(vorne_page_map(&why));
    problem = take_string(why);
    return path;
}

}  // namespace vorne
