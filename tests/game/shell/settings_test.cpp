#include "game/shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vorne {
namespace {

// What was read, as the file that would be written back, and the warning.
std::string shown(const ReadSettings& r) {
    std::string text = format_settings(r.settings);
    return text.substr(text.find('\n') + 1) + (r.warning.empty() ? "" : "! " + r.warning);
}

TEST(Settings, DamagedLinesAreIgnoredOneByOne) {
    const std::string all = "fullscreen = yes\nscale = 4\nx = -10\ny = 20\n";
    struct Case {
        std::string text;
        std::string shown;
    };
    for (const Case& c : std::vector<Case>{
             {"", ""},
             {format_settings({true, 4, -10, 20}), all},
             {"# note\r\n\tfullscreen=yes \r\n\nscale= 4\r\nx =-10\ny = 20", all},
             {"fullscreen = maybe\nscale = 17\nscale = 2\n",
              "scale = 2\n! ignored 2 lines that did not read as a setting (line 1 first)"},
             {"x = 5\nscale = 0x3\n",
              "! ignored 2 lines that did not read as a setting (line 1 first)"},
             {"y = 99999999999\nwidth = 3\nscale",
              "! ignored 3 lines that did not read as a setting (line 1 first)"},
             {std::string("scale = 2\n\x01\xff\0\x7fjunk=\0\n", 21),
              "scale = 2\n! ignored 1 line that did not read as a setting (line 2)"},
         }) {
        EXPECT_EQ(shown(parse_settings(c.text)), c.shown) << c.text;
    }
}

TEST(Settings, FilesMissingDamagedOrUnwritable) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "vorne_settings_test";
    fs::remove_all(root);
    const std::string folder = (root / "vorne").string();
    EXPECT_EQ(shown(read_settings_file(folder)), "");  // missing: silent

    ASSERT_EQ(write_settings_file(folder, {false, 2, 30, 40}), "");  // makes the folder
    EXPECT_EQ(shown(read_settings_file(folder)), "fullscreen = no\nscale = 2\nx = 30\ny = 40\n");
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "settings");  // no temporary left

    std::ofstream(folder + "/settings") << std::string(settings_file_limit, '#') << "\nscale = 2\n";
    EXPECT_EQ(shown(read_settings_file(folder)),
              "! " + folder + "/settings: larger than 4096 bytes, ignored");
    fs::remove(folder + "/settings");
    fs::create_directory(folder + "/settings");
    EXPECT_EQ(shown(read_settings_file(folder)),
              "! " + folder + "/settings: not a plain file, ignored");

    // A folder that cannot be made (a file stands in its way) is one line.
    std::ofstream(root / "file") << "x";
    EXPECT_EQ(write_settings_file((root / "file" / "vorne").string(), {})
                  .rfind("cannot save settings in " + (root / "file" / "vorne").string() + ": ", 0),
              0u);
    fs::remove_all(root);
}

TEST(Settings, ScaleFitsNineTenthsOfTheDesktop) {
    struct Case {
        int32_t w, h, asked, scale;
        bool reduced;
    };
    for (const Case& c : std::vector<Case>{
             {1280, 1024, 0, 4, false},
             {1280, 1024, 16, 4, true},
             {1280, 1024, 3, 3, false},
             {1920, 1080, 5, 4, true},
             {3840, 2160, 0, 6, false},
             {3840, 2160, 9, 9, false},
             {889, 1000, 0, 4, false},
             {888, 1000, 0, 3, false},
             {100, 80, 0, 1, false},
             {100, 80, 2, 1, true},
             {0, 0, 1, 1, false},
         }) {
        ScaleFit fit = fit_scale(c.w, c.h, c.asked);
        EXPECT_EQ(fit.scale, c.scale) << c.w << "x" << c.h << " asked " << c.asked;
        EXPECT_EQ(fit.reduced, c.reduced) << c.w << "x" << c.h << " asked " << c.asked;
    }
}

TEST(Settings, RememberedPlaceIsUsedOnlyWhileOnADisplay) {
    const std::vector<Display> two = {{{0, 0, 1280, 1024}, {0, 0, 1280, 1000}},
                                      {{1280, 0, 1920, 1080}, {1280, 0, 1920, 1080}}};
    struct Case {
        Settings remembered;
        int32_t asked;
        std::string plan;
    };
    for (const Case& c : std::vector<Case>{
             {{}, 0, "scale 4 display 0 centred"},
             {{{}, 2, 100, 50}, 0, "scale 2 display 0 at 100,50"},
             {{{}, 2, 1400, 50}, 5, "scale 4 reduced display 1 at 1400,50"},
             {{{}, 4, 1000, 500}, 0, "scale 4 display 0 centred"},  // would hang over
             {{{}, 3, 5000, 50}, 0, "scale 3 display 0 centred"},   // display gone
         }) {
        WindowPlan p = plan_window(two, c.remembered, c.asked, 3);
        std::string s =
            "scale " + std::to_string(p.scale) + (p.reduced ? " reduced" : "") + " display " +
            std::to_string(p.display) +
            (p.at ? " at " + std::to_string(p.at->x) + "," + std::to_string(p.at->y) : " centred");
        EXPECT_EQ(s, c.plan);
    }
    EXPECT_EQ(plan_window({}, {}, 0, 3).scale, 3);  // no display known
}

}  // namespace
}  // namespace vorne
