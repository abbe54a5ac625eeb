// The MIDI player under the music interpreter, through SDL2_mixer.
#pragma once

#include <map>
#include <string>

#include "game/audio/music_commands.h"

struct _Mix_Music;

namespace vorne {

// MIDI through SDL2_mixer (FluidSynth), on the device that SdlSound opened.
// Pieces stay loaded once read, so the tick that starts one does not wait for
// the synthesiser.
class SdlMidiPlayer : public MidiPlayer {
  public:
    ~SdlMidiPlayer() override;
    // Loads a piece ahead of its first use.
    void preload(const std::string& path);
    bool load(const std::string& path) override;
    void play_from_start() override;
    void stop() override;
    void unload() override;
    bool is_playing() override;

  private:
    _Mix_Music* find_or_load(const std::string& path);
    std::map<std::string, _Mix_Music*> cache_;
    _Mix_Music* current_ = nullptr;
};

}  // namespace vorne
