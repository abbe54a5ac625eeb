// Every sprite sheet, built from its source, against the rules the drawing code
// relies on: sizes, pure black-and-white silhouettes, white around every image
// drawn over a silhouette (shared silhouettes included), empty cells black.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/sheetgen/sheet_source.h"

namespace vorne {
namespace {

constexpr Pixel white = rgb(255, 255, 255);
constexpr Pixel black = rgb(0, 0, 0);

const std::map<std::string, std::pair<int, int>> sheet_sizes = {
    {"kabe", {20, 20}},     {"hasi", {20, 40}},         {"tc", {20, 40}},
    {"ki", {20, 40}},       {"tobira", {20, 40}},       {"kagic", {40, 80}},
    {"tama", {20, 60}},     {"t1c", {120, 180}},        {"pc", {60, 160}},
    {"haikei", {100, 100}}, {"thaikei", {25, 25}},      {"rogo", {180, 100}},
    {"stageh", {200, 200}}, {"lasthaikei", {200, 200}}, {"ue", {200, 200}},
    {"uemask", {200, 200}}, {"kumo", {60, 30}},         {"kumomask", {60, 30}},
};

struct Cell {
    int x, y;
};

// An image cell and the silhouette cell it is drawn over, possibly on two sheets.
struct Masked {
    std::string image_sheet;
    Cell image;
    std::string mask_sheet;
    Cell mask;
    int w = 20, h = 20;
};

// The enemy sheet: front cell and the two side rows of each kind.
struct EnemyKind {
    const char* name;
    Pixel colour;
    Cell front, side1, side2;
};
const EnemyKind enemy_kinds[] = {
    {"g", rgb(34, 34, 34), {0, 0}, {0, 40}, {0, 80}},
    {"h", rgb(0, 255, 0), {60, 0}, {60, 20}, {60, 40}},
    {"i", rgb(255, 0, 0), {60, 60}, {60, 80}, {60, 100}},
    {"j", rgb(0, 0, 255), {0, 120}, {0, 140}, {0, 160}},
};

std::vector<Masked> masked_cells() {
    std::vector<Masked> m = {
        {"hasi", {0, 0}, "hasi", {0, 20}},
        {"tc", {0, 0}, "tc", {0, 20}},
        {"ki", {0, 0}, "ki", {0, 20}},
        {"kagic", {0, 0}, "kagic", {0, 20}},
        {"kagic", {20, 0}, "kagic", {0, 20}},
        {"kagic", {0, 40}, "kagic", {0, 60}},
        {"kagic", {20, 40}, "kagic", {0, 60}},
        {"tama", {0, 0}, "tama", {0, 40}},
        {"tama", {0, 20}, "tama", {0, 40}},
        {"pc", {0, 0}, "pc", {0, 20}},
        {"pc", {20, 0}, "pc", {20, 20}},
        {"pc", {0, 40}, "pc", {0, 60}},
        {"pc", {20, 40}, "pc", {20, 60}},
        {"rogo", {0, 0}, "rogo", {0, 50}, 180, 50},
        {"ue", {0, 0}, "uemask", {0, 0}, 200, 200},
        {"kumo", {0, 0}, "kumomask", {0, 0}, 60, 30},
    };
    for (int k = 0; k < 3; ++k) {
        m.push_back({"pc", {20 * k, 80}, "pc", {20 * k, 100}});
        m.push_back({"pc", {20 * k, 120}, "pc", {20 * k, 140}});
    }
    for (const auto& kind : enemy_kinds) {
        m.push_back({"t1c", kind.front, "t1c", {0, 20}});
        for (int k = 0; k < 3; ++k) {
            m.push_back({"t1c", {kind.side1.x + 20 * k, kind.side1.y}, "t1c", {20 * k, 60}});
            m.push_back({"t1c", {kind.side2.x + 20 * k, kind.side2.y}, "t1c", {20 * k, 100}});
        }
    }
    return m;
}

class SheetRules : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char* root = std::getenv("VORNE_SOURCE_DIR");
        ASSERT_NE(root, nullptr) << "VORNE_SOURCE_DIR is not set";
        for (const auto& [name, size] : sheet_sizes) {
            std::string error;
            auto image =
                load_sheet(std::string(root) + "/assets/sheets/" + name + ".sheet", &error);
            ASSERT_TRUE(image) << error;
            sheets()[name] = std::move(*image);
        }
    }
    static std::map<std::string, Image>& sheets() {
        static std::map<std::string, Image> s;
        return s;
    }
    static const Image& sheet(const std::string& name) { return sheets().at(name); }

    // Pixels of a cell that are not `p`.
    static int count_not(const Image& im, Cell c, int w, int h, Pixel p) {
        int n = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                n += im.at(c.x + x, c.y + y) != p;
        }
        return n;
    }
};

TEST_F(SheetRules, EverySheetHasItsSizeAndIsOpaque) {
    for (const auto& [name, size] : sheet_sizes) {
        const Image& im = sheet(name);
        EXPECT_EQ(im.width(), size.first) << name;
        EXPECT_EQ(im.height(), size.second) << name;
        for (Pixel p : im.pixels()) {
            ASSERT_EQ(p >> 24, 0xFFu) << name << " has a pixel that is not fully opaque";
        }
    }
}

TEST_F(SheetRules, SilhouettesArePureBlackAndWhiteAndNotEmpty) {
    for (const Masked& m : masked_cells()) {
        const Image& mask = sheet(m.mask_sheet);
        int white_pixels = 0;
        for (int y = 0; y < m.h; ++y) {
            for (int x = 0; x < m.w; ++x) {
                Pixel p = mask.at(m.mask.x + x, m.mask.y + y);
                ASSERT_TRUE(p == white || p == black)
                    << m.mask_sheet << " silhouette (" << m.mask.x << "," << m.mask.y << ") pixel ("
                    << x << "," << y << ")";
                white_pixels += p == white;
            }
        }
        EXPECT_GT(white_pixels, 0)
            << m.mask_sheet << " silhouette (" << m.mask.x << "," << m.mask.y << ") is empty";
    }
}

TEST_F(SheetRules, ImagesAreWhiteOutsideTheirSilhouette) {
    for (const Masked& m : masked_cells()) {
        const Image& image = sheet(m.image_sheet);
        const Image& mask = sheet(m.mask_sheet);
        int stray = 0, inked = 0;
        for (int y = 0; y < m.h; ++y) {
            for (int x = 0; x < m.w; ++x) {
                Pixel p = image.at(m.image.x + x, m.image.y + y);
                bool inside = mask.at(m.mask.x + x, m.mask.y + y) == white;
                if (!inside && p != white) ++stray;
                if (inside && p != white) ++inked;
            }
        }
        EXPECT_EQ(stray, 0) << m.image_sheet << " image (" << m.image.x << "," << m.image.y
                            << ") darkens the backdrop outside its silhouette";
        // The cloud image is white on purpose: its look lies in the silhouette's specks.
        if (m.image_sheet != "kumo") {
            EXPECT_GT(inked, 0) << m.image_sheet << " image (" << m.image.x << "," << m.image.y
                                << ") is blank";
        }
    }
}

TEST_F(SheetRules, EmptyCellsAreBlackAndTheCloudImageIsWhite) {
    std::vector<std::pair<std::string, Cell>> empty = {
        {"kagic", {20, 20}}, {"kagic", {20, 60}}, {"pc", {40, 20}},   {"pc", {40, 40}},
        {"pc", {40, 60}},    {"t1c", {20, 0}},    {"t1c", {40, 0}},   {"t1c", {20, 20}},
        {"t1c", {40, 20}},   {"t1c", {80, 0}},    {"t1c", {100, 0}},  {"t1c", {80, 60}},
        {"t1c", {100, 60}},  {"t1c", {20, 120}},  {"t1c", {40, 120}},
    };
    for (int x = 60; x < 120; x += 20) {
        for (int y = 120; y < 180; y += 20)
            empty.push_back({"t1c", {x, y}});
    }
    for (const auto& [name, cell] : empty) {
        EXPECT_EQ(count_not(sheet(name), cell, 20, 20, black), 0)
            << name << " cell (" << cell.x << "," << cell.y << ") should be empty";
    }
    EXPECT_EQ(count_not(sheet("kumo"), {0, 0}, 60, 30, white), 0);
}

TEST_F(SheetRules, LockBlocksHaveABorderAndAKeyholeInTheirSilhouette) {
    const Image& kagic = sheet("kagic");
    int dot = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool border = x == 0 || y == 0 || x == 19 || y == 19;
            Pixel p = kagic.at(x, 60 + y);
            if (border) {
                EXPECT_EQ(p, black) << "lock silhouette border at (" << x << "," << y << ")";
            } else {
                dot += p == black;
            }
        }
    }
    EXPECT_GE(dot, 1) << "the lock silhouette has no dot";
    EXPECT_LE(dot, 4) << "the lock silhouette's dot is not small";
    for (int x0 : {0, 20}) {
        bool has_pink = false;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                has_pink |= kagic.at(x0 + x, 40 + y) == rgb(255, 102, 102);
            }
        }
        EXPECT_TRUE(has_pink) << "lock block image at x " << x0 << " has no pink";
    }
}

TEST_F(SheetRules, ColoursNamedForTheFiguresAndBackdrops) {
    // Each enemy kind shows its colour, and all four are the same figure: the same
    // pixels carry ink in every kind.
    const Image& t1c = sheet("t1c");
    const EnemyKind& g = enemy_kinds[0];
    for (const auto& kind : enemy_kinds) {
        std::vector<std::pair<Cell, Cell>> cells = {{kind.front, g.front}};
        for (int k = 0; k < 3; ++k) {
            cells.push_back(
                {{kind.side1.x + 20 * k, kind.side1.y}, {g.side1.x + 20 * k, g.side1.y}});
            cells.push_back(
                {{kind.side2.x + 20 * k, kind.side2.y}, {g.side2.x + 20 * k, g.side2.y}});
        }
        for (const auto& [cell, ref] : cells) {
            int colour_pixels = 0;
            for (int y = 0; y < 20; ++y) {
                for (int x = 0; x < 20; ++x) {
                    Pixel p = t1c.at(cell.x + x, cell.y + y);
                    colour_pixels += p == kind.colour;
                    ASSERT_EQ(p == white, t1c.at(ref.x + x, ref.y + y) == white)
                        << "kind " << kind.name << " cell (" << cell.x << "," << cell.y
                        << ") differs in shape from kind g at (" << x << "," << y << ")";
                }
            }
            EXPECT_GT(colour_pixels, 0) << "kind " << kind.name << " cell (" << cell.x << ","
                                        << cell.y << ") lacks its colour";
        }
    }

    // The dying sprite stands on a solid green square.
    const Image& pc = sheet("pc");
    for (Cell corner : {Cell{40, 0}, Cell{59, 0}, Cell{40, 19}, Cell{59, 19}}) {
        EXPECT_EQ(pc.at(corner.x, corner.y), rgb(51, 255, 102));
    }

    const Image& ending = sheet("lasthaikei");
    EXPECT_EQ(count_not(ending, {0, 0}, 200, 180, rgb(51, 153, 255)), 0);
    EXPECT_EQ(count_not(ending, {0, 180}, 200, 20, rgb(204, 255, 0)), 0);
}

}  // namespace
}  // namespace vorne
