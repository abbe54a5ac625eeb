// Standard MIDI Files, format 1: a conductor track with the title, tempo
// and meter, then one track per instrument.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/soundgen/music.h"

namespace vorne::soundgen {

std::vector<uint8_t> encode_midi(const Song& song);

}  // namespace vorne::soundgen
