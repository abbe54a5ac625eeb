#include "game/platform/sdl_music.h"

#include <SDL_mixer.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace vorne {
namespace {

bool is_file(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// A rendering older than its MIDI file by more than a copy's spread stands
// for a piece that has since been replaced.
bool rendering_is_current(const std::string& midi, const std::string& rendering) {
    std::error_code ec1, ec2;
    const auto midi_time = std::filesystem::last_write_time(midi, ec1);
    const auto rendering_time = std::filesystem::last_write_time(rendering, ec2);
    if (ec1 || ec2) return !ec2;
    return rendering_time + std::chrono::seconds(2) >= midi_time;
}

}  // namespace

const std::vector<std::string>& known_soundfonts() {
    static const std::vector<std::string> fonts = {
        "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/soundfonts/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/sounds/sf3/FluidR3_GM.sf3", "/usr/share/soundfonts/FluidR3_GM.sf3",
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/soundfonts/default.sf2",    "/usr/share/soundfonts/default.sf3",
    };
    return fonts;
}

std::string choose_soundfont(std::string_view from_environment,
                             const std::vector<std::string>& candidates,
                             const std::function<bool(const std::string&)>& exists) {
    if (!from_environment.empty()) return std::string(from_environment);
    for (const std::string& font : candidates)
        if (exists(font)) return font;
    return {};
}

std::string rendering_of(const std::string& midi_path) {
    std::filesystem::path p(midi_path);
    return p.replace_extension(".ogg").string();
}

SdlMidiPlayer::~SdlMidiPlayer() {
    Mix_HaltMusic();
    for (auto& [path, music] : cache_)
        if (music) Mix_FreeMusic(music);
}

_Mix_Music* SdlMidiPlayer::load_midi(const std::string& path) {
    const char* environment = std::getenv("SDL_SOUNDFONTS");
    const std::string font =
        choose_soundfont(environment ? environment : "", known_soundfonts(), is_file);
    if (!font.empty() && !(environment && font == environment)) Mix_SetSoundFonts(font.c_str());
    if (!midi_announced_) {
        midi_announced_ = true;
        std::cerr << "vorne1.0: music: " << path << " has no current rendering; playing it as MIDI"
                  << (font.empty() ? " with no soundfont found" : " with the soundfont " + font)
                  << '\n';
    }
    return Mix_LoadMUS(path.c_str());
}

_Mix_Music* SdlMidiPlayer::find_or_load(const std::string& path) {
    auto it = cache_.find(path);
    if (it != cache_.end() && it->second) return it->second;
    // The piece is there to be opened only when its MIDI file is.
    if (!is_file(path)) return nullptr;
    Mix_Music* music = nullptr;
    const std::string rendering = rendering_of(path);
    if (rendering != path && is_file(rendering) && rendering_is_current(path, rendering))
        music = Mix_LoadMUS(rendering.c_str());
    if (!music) music = load_midi(path);
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

void SdlMidiPlayer::pause() {
    if (current_) Mix_PauseMusic();
}

void SdlMidiPlayer::resume() {
    if (current_) Mix_ResumeMusic();
}

}  // namespace vorne
