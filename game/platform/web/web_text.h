// The browser build's text output: the glyphs the desktop build's own text
// output drew, packed in an atlas at build time.
#pragma once

#include <memory>
#include <string>

#include "game/ports/ports.h"

namespace vorne {

// The text port over the atlas in the folder; without a readable atlas, no
// text is drawn (said once on the console).
std::unique_ptr<TextPort> make_web_text(const std::string& folder);

}  // namespace vorne
