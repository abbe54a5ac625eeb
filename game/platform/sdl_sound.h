// The sound port through SDL2_mixer: the game's effects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/audio/audio.h"
#include "game/ports/ports.h"

struct Mix_Chunk;

namespace vorne {

// Effects through SDL2_mixer: effects 2..7 each on a channel of their own,
// effect 1 played to its end before returning. Setting up also opens the
// sound device that the music plays on.
class SdlSound : public SoundPort, private EffectMixer {
  public:
    explicit SdlSound(std::string program_folder) : folder_(std::move(program_folder)) {}
    ~SdlSound() override;
    void set_up() override;
    void play_effect(int32_t effect_number) override;
    bool device_open() const { return device_open_; }

  private:
    bool channel_playing(int32_t channel) override;
    void start_channel(int32_t channel) override;
    void wait_for_channel(int32_t channel) override;

    std::string folder_;
    bool device_open_ = false;
    std::vector<Mix_Chunk*> chunks_ = std::vector<Mix_Chunk*>(8, nullptr);
};

}  // namespace vorne
