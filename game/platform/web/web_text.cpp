#include "game/platform/web/web_text.h"

#include "game/shell/headless_ports.h"

namespace vorne {

std::unique_ptr<TextPort> make_web_text(const std::string&) {
    return std::make_unique<NullText>();
}

}  // namespace vorne
