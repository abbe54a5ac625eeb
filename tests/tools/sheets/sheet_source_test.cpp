// The sheet source reader: how drawings combine, and how a malformed source is
// turned away with the file, the line and the problem.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/sheetgen/sheet_source.h"

namespace vorne {
namespace {

constexpr Pixel white = rgb(255, 255, 255);
constexpr Pixel black = rgb(0, 0, 0);
constexpr Pixel red = rgb(255, 0, 0);
constexpr Pixel blue = rgb(0, 0, 255);

std::string parse_error(const std::string& text) {
    std::string error;
    auto sheet = parse_sheet(text, "test.sheet", ".", &error);
    EXPECT_FALSE(sheet) << "accepted:\n" << text;
    return error;
}

const char* const header =
    "size 4 2\n"       // line 1
    "palette\n"        // line 2
    "  . clear\n"      // line 3
    "  R 255 0 0\n"    // line 4
    "end\n"            // line 5
    "pattern p 2 1\n"  // line 6
    "  R.\n"           // line 7
    "end\n";           // line 8

TEST(SheetSource, DrawingsStackAndShareOneSilhouette) {
    std::string text = std::string(header) +
                       "palette blue\n"
                       "  R 0 0 255\n"
                       "end\n"
                       "pattern wide 2 1\n"
                       "  .R\n"
                       "end\n"
                       "draw p 0 0 silhouette 0 1\n"  // R. over an empty row
                       "draw wide 0 0\n"              // .R on top: R stays, the dot is filled
                       "draw p 2 0 mirror palette blue\n";
    std::string error;
    auto sheet = parse_sheet(text, "test.sheet", ".", &error);
    ASSERT_TRUE(sheet) << error;
    const Image& im = sheet->image;
    // A clear key never paints over a pixel an earlier drawing covered.
    EXPECT_EQ(im.at(0, 0), red);
    EXPECT_EQ(im.at(1, 0), red);
    // Mirrored, in the other palette, and white where clear.
    EXPECT_EQ(im.at(2, 0), white);
    EXPECT_EQ(im.at(3, 0), blue);
    // The silhouette was taken right after the first drawing: only its own shape.
    EXPECT_EQ(im.at(0, 1), white);
    EXPECT_EQ(im.at(1, 1), black);
    // Beside the silhouette nothing was drawn: black, like an empty cell.
    EXPECT_EQ(im.at(2, 1), black);
}

TEST(SheetSource, SilhouetteOfAnotherSourceMatchesItsDrawings) {
    auto dir = std::filesystem::temp_directory_path() / "vorne_sheet_source_test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "picture.sheet") << header << "fill 0 0 4 2 R\ndraw p 1 1\n";
    std::ofstream(dir / "mask.sheet") << "size 4 2\nsilhouette-of picture.sheet\n";
    std::ofstream(dir / "loop_a.sheet") << "size 4 2\nsilhouette-of loop_b.sheet\n";
    std::ofstream(dir / "loop_b.sheet") << "size 4 2\nsilhouette-of loop_a.sheet\n";
    std::ofstream(dir / "small.sheet") << "size 2 2\nsilhouette-of picture.sheet\n";

    std::string error;
    auto mask = load_sheet(dir / "mask.sheet", &error);
    ASSERT_TRUE(mask) << error;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            // Only the drawn sprite pixel counts; the fill is a background.
            EXPECT_EQ(mask->at(x, y), (x == 1 && y == 1) ? white : black) << x << "," << y;
        }
    }

    EXPECT_FALSE(load_sheet(dir / "loop_a.sheet", &error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
    EXPECT_FALSE(load_sheet(dir / "small.sheet", &error));
    EXPECT_NE(error.find("small.sheet:2:"), std::string::npos) << error;
    EXPECT_FALSE(load_sheet(dir / "missing.sheet", &error));
    EXPECT_NE(error.find("missing.sheet"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

TEST(SheetSource, MalformedSourcesNameTheLineAndTheProblem) {
    struct Case {
        std::string text;
        std::string expected;  // start of the message
    };
    const std::string h = header;
    const Case cases[] = {
        {"", "test.sheet:1: no 'size' line"},
        {"fill 0 0 1 1 R\n", "test.sheet:1: 'fill' before the 'size' line"},
        {"size 4 2\nsize 4 2\n", "test.sheet:2: second 'size' line"},
        {"size 0 2\n", "test.sheet:1: sheet size must be"},
        {"size 4 two\n", "test.sheet:1: 'two' is not a whole number"},
        {"size 4 2\nbox 0 0\n", "test.sheet:2: unknown directive 'box'"},
        {"size 4 2\npalette\n  R 255 0 300\nend\n", "test.sheet:3: colour values must be"},
        {"size 4 2\npalette\n  R 1 2 3\n  R 4 5 6\nend\n",
         "test.sheet:4: key 'R' is already set on line 3"},
        {"size 4 2\npalette\n  RR 1 2 3\nend\n", "test.sheet:3: palette key must be one"},
        {"size 4 2\npalette\n  R 1 2 3\n", "test.sheet:2: palette has no 'end'"},
        {"size 4 2\npattern p 2 1\n  R\nend\n", "test.sheet:3: row 1 of pattern 'p' has 1 keys"},
        {"size 4 2\npattern p 2 2\n  RR\nend\n", "test.sheet:4: pattern 'p' has 1 rows"},
        {"size 4 2\npattern p 2 1\n  RR\n  RR\n", "test.sheet:4: pattern 'p' has more than"},
        {"size 4 2\npattern p 2 1\n  R R\nend\n", "test.sheet:3: blank inside a pattern row"},
        {h + "draw q 0 0\n", "test.sheet:9: no pattern named 'q'"},
        {h + "draw p 3 0\n", "test.sheet:9: area 2 x 1 at (3,0) lies outside the 4 x 2 sheet"},
        {h + "draw p 0 0 silhouette 0 2\n", "test.sheet:9: area 2 x 1 at (0,2) lies outside"},
        {h + "draw p 0 0 palette none\n", "test.sheet:9: no palette named 'none'"},
        {h + "draw p 0 0 upside-down\n", "test.sheet:9: unexpected 'upside-down'"},
        {h + "fill 0 0 1 1 .\n", "test.sheet:9: fill needs an opaque colour"},
        {h + "tile p 0 0 4 2\n", "test.sheet:7: a tiled pattern must be opaque"},
        {"size 4 2\npattern p 1 1\n  Z\nend\ndraw p 0 0\n",
         "test.sheet:3: key 'Z' is not in the palette (drawn by line 5)"},
        {"size 4 2\nend\n", "test.sheet:2: 'end' without an open palette or pattern"},
    };
    for (const Case& c : cases) {
        std::string error = parse_error(c.text);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error << "\nfor:\n" << c.text;
    }
}

}  // namespace
}  // namespace vorne
