// Sound effects by number and the numbered background music, over the sound
// and music ports.
#pragma once

#include <cstdint>
#include <string>

#include "game/ports/ports.h"

namespace vorne {

// Effect numbers.
inline constexpr int32_t sound_clear = 1;
inline constexpr int32_t sound_item = 2;
inline constexpr int32_t sound_door = 3;
inline constexpr int32_t sound_caught = 4;
inline constexpr int32_t sound_game_over = 5;
inline constexpr int32_t sound_shot = 6;
inline constexpr int32_t sound_enemy_down = 7;

// Music numbers.
inline constexpr int32_t music_title = 1;
inline constexpr int32_t music_play = 2;
inline constexpr int32_t music_ending = 3;

// Effects 1..7; any other number plays nothing.
void play_sound(SoundPort& sound, int32_t effect_number);

// What the effect rule needs of a mixer: each effect 1..7 has a channel of
// its own with the same number.
class EffectMixer {
  public:
    virtual ~EffectMixer() = default;
    virtual bool channel_playing(int32_t channel) = 0;
    virtual void start_channel(int32_t channel) = 0;
    // Waits until the channel is silent, keeping the window answering.
    virtual void wait_for_channel(int32_t channel) = 0;
};

// The effect rule: effect 1 (the stage-clear fanfare) plays to its end
// before returning; effects 2..7 each have one voice, so an effect that is
// still sounding is not started again while different effects overlap.
void play_effect_on(EffectMixer& mixer, int32_t effect_number);

// Opens piece 1..3 of the sound folder under the alias "midifile" and starts
// it; any other number sends nothing. Never stops what is playing.
void play_music(MusicPort& music, const std::string& program_folder, int32_t number);

// The music timer's handler: starts the open piece again once it has ended.
void loop_music(MusicPort& music);

// Holds the open piece where it is, and lets it go on from there.
void pause_music(MusicPort& music);
void resume_music(MusicPort& music);

// The stop pair every caller sends before changing or ending the music.
void stop_music(MusicPort& music);

// The file name of piece 1..3, or an empty string.
std::string music_file(int32_t number);

}  // namespace vorne
