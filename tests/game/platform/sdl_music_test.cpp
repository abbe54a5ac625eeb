// The soundfont a MIDI piece plays with, and the rendering that stands for it.
#include <gtest/gtest.h>

#include <set>

#include "game/platform/sdl_music.h"

namespace vorne {
namespace {

TEST(SdlMusic, ChoosesTheSoundfontInOrderNeverLeavingItToTheDefault) {
    const std::vector<std::string> fonts = {"/a/TimGM6mb.sf2", "/a/FluidR3_GM.sf2",
                                            "/a/default-GM.sf2"};
    struct Case {
        std::string environment;
        std::set<std::string> present;
        std::string chosen;
    };
    const Case cases[] = {
        {"", {"/a/TimGM6mb.sf2", "/a/FluidR3_GM.sf2", "/a/default-GM.sf2"}, "/a/TimGM6mb.sf2"},
        {"", {"/a/FluidR3_GM.sf2", "/a/default-GM.sf2"}, "/a/FluidR3_GM.sf2"},
        {"", {"/a/default-GM.sf2"}, "/a/default-GM.sf2"},
        {"", {}, ""},
        {"/mine.sf2", {"/a/TimGM6mb.sf2"}, "/mine.sf2"},  // the player's own choice stands
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment + " " + std::to_string(c.present.size()));
        EXPECT_EQ(choose_soundfont(c.environment, fonts,
                                   [&](const std::string& f) { return c.present.count(f) > 0; }),
                  c.chosen);
    }
    EXPECT_EQ(known_soundfonts().front(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
    EXPECT_EQ(rendering_of("/x/sound/PSMAT503.mid"), "/x/sound/PSMAT503.ogg");
}

}  // namespace
}  // namespace vorne
