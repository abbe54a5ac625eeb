#include "game/platform/sdl_music.h"

#include <SDL_mixer.h>

namespace vorne {

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

}  // namespace vorne
