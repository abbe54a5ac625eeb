#include <gtest/gtest.h>

#include <cstdlib>

#include "game/platform/sdl_text.h"
#include "game/render/atlas_text.h"
#include "tools/glyphatlas/game_texts.h"

namespace vorne {
namespace {

// Every text the game draws, and every character of the atlas, drawn through
// the atlas built beside the programs and through the desktop's SdlText on a
// background of changing colours: the same pixels.
TEST(GlyphAtlas, DrawsEveryScreenAsTheDesktop) {
    std::string error;
    std::optional<Atlas> atlas =
        load_atlas_file(std::string(std::getenv("VORNE_BIN_DIR")) + "/text/atlas.bin", error);
    ASSERT_TRUE(atlas) << error;
    AtlasText from_atlas(std::move(*atlas));
    SdlText desktop;
    AtlasText blank;  // draws nothing

    std::vector<TextScreen> screens = game_text_screens();
    for (TextScreen& screen : character_screens())
        screens.push_back(std::move(screen));
    for (const TextScreen& screen : screens) {
        FrameBuffer expected = draw_screen(screen, desktop);
        EXPECT_EQ(differing_pixels(expected, draw_screen(screen, from_atlas)), 0) << screen.name;
        // Text was drawn at all: a few pixels of every draw.
        EXPECT_GT(differing_pixels(expected, draw_screen(screen, blank)),
                  static_cast<int64_t>(10 * screen.draws.size()))
            << screen.name;
    }
}

}  // namespace
}  // namespace vorne
