// Text through SDL2_ttf, in the faces of the game found through fontconfig.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "game/render/frame_buffer.h"
#include "game/ports/ports.h"

struct _TTF_Font;

namespace vorne {

// The font file of a family, or of any font that covers Japanese when the
// family is not installed; empty when there is none at all.
std::string find_font_file(const std::string& family);

class SdlText : public TextPort {
  public:
    SdlText();
    ~SdlText() override;
    SdlText(const SdlText&) = delete;
    SdlText& operator=(const SdlText&) = delete;

    int32_t draw_text(FrameBuffer& target, double x, double y, std::string_view utf8,
                      const TextStyle& style) override;
    int32_t line_height(const TextStyle& style) override;

  private:
    _TTF_Font* font(const TextStyle& style);
    bool ready_ = false;
    std::string gothic_file_;
    std::string mincho_file_;
    std::map<std::tuple<int, int, bool>, _TTF_Font*> fonts_;
};

// Reads a PNG (or any picture SDL2_image knows) into an Image of opaque pixels.
std::optional<Image> load_image_file(const std::string& path, std::string& error);

}  // namespace vorne
