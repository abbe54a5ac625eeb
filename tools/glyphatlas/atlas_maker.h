// Makes the glyph atlas from the desktop's own text output: SDL2_ttf with the
// fonts SdlText finds, opened as SdlText opens them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/render/atlas_text.h"
#include "tools/glyphatlas/game_texts.h"

namespace vorne {

// warnings collects characters a font lacks (left out of the atlas: AtlasText
// draws nothing for them where the desktop draws the font's box).
std::optional<Atlas> make_atlas(const std::vector<StyleCharacters>& contents,
                                std::vector<std::string>& warnings, std::string& error);

}  // namespace vorne
