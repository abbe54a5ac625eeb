#include "game/platform/sdl_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <iostream>

namespace vorne {

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

}  // namespace vorne
