// The music player under the music interpreter, through SDL2_mixer.
//
// The game names its pieces as MIDI files. The build renders each of them
// beside it as an Ogg Vorbis file of the same name (PSMAT503.mid ->
// PSMAT503.ogg) with the soundfont the pieces are balanced for, and that
// rendering is what plays: it sounds the same on every machine and costs
// little to decode. A piece without a current rendering (a MIDI file put in
// by hand) plays through SDL_mixer's MIDI synthesiser, FluidSynth, with a
// soundfont chosen here rather than whatever SDL_mixer would take.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/audio/music_commands.h"

struct _Mix_Music;

namespace vorne {

// General MIDI soundfonts for MIDI, best first: TimGM6mb, which the pieces
// are balanced for, then other common ones.
const std::vector<std::string>& known_soundfonts();

// The soundfont for MIDI: the player's own SDL_SOUNDFONTS when set, else the
// first candidate that exists; empty when there is none.
std::string choose_soundfont(std::string_view from_environment,
                             const std::vector<std::string>& candidates,
                             const std::function<bool(const std::string&)>& exists);

// The rendering that stands for a piece: same folder and name, ".ogg".
std::string rendering_of(const std::string& midi_path);

// Plays on the device that SdlSound opened. Pieces stay loaded once read, so
// the tick that starts one does not wait for the decoder or the synthesiser.
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
    void pause() override;
    void resume() override;

  private:
    _Mix_Music* find_or_load(const std::string& path);
    _Mix_Music* load_midi(const std::string& path);
    std::map<std::string, _Mix_Music*> cache_;
    _Mix_Music* current_ = nullptr;
    bool midi_announced_ = false;
};

}  // namespace vorne
