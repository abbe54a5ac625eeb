#include "game/platform/web/web_text.h"

#include <iostream>

#include "game/render/atlas_text.h"
#include "game/shell/headless_ports.h"

namespace vorne {

std::unique_ptr<TextPort> make_web_text(const std::string& folder) {
    std::string error;
    std::optional<Atlas> atlas = load_atlas_file(folder + "/atlas.bin", error);
    if (!atlas) {
        std::cerr << "vorne1.0: no text output: " << error << '\n';
        return std::make_unique<NullText>();
    }
    return std::make_unique<AtlasText>(std::move(*atlas));
}

}  // namespace vorne
