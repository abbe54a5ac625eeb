// The music command channel: the game's command strings, interpreted over a
// MIDI player. One piece is open at a time, under the alias "midifile".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/ports/ports.h"

namespace vorne {

// What the interpreter needs of a MIDI back end.
class MidiPlayer {
  public:
    virtual ~MidiPlayer() = default;
    // Loads the piece; false when the file cannot be read.
    virtual bool load(const std::string& path) = 0;
    virtual void play_from_start() = 0;
    virtual void stop() = 0;
    virtual void unload() = 0;
    // True while the loaded piece is sounding.
    virtual bool is_playing() = 0;
    // Holds the piece where it is; resume goes on from there.
    virtual void pause() {}
    virtual void resume() {}
};

// Result codes of the command channel.
inline constexpr uint32_t music_ok = 0;
inline constexpr uint32_t music_error_unrecognized = 261;
inline constexpr uint32_t music_error_unknown_alias = 263;
inline constexpr uint32_t music_error_file_not_found = 275;
inline constexpr uint32_t music_error_alias_in_use = 289;

class MusicInterpreter : public MusicPort {
  public:
    explicit MusicInterpreter(MidiPlayer& player) : player_(player) {}

    // Understands: open "PATH" type sequencer alias midifile; play midifile
    // from 0; stop midifile; pause midifile; resume midifile; close midifile;
    // status midifile mode.
    uint32_t send_command(std::string_view command, std::string* return_text,
                          int32_t return_length) override;

    bool is_open() const { return open_; }

  private:
    MidiPlayer& player_;
    bool open_ = false;
};

}  // namespace vorne
