// The tree `cmake --install` makes from this build, installed into a
// temporary DESTDIR under a prefix other than the configured one: its layout,
// its desktop entries and icons, and both programs started through their
// links in bin/, as a desktop or a user's shell starts them.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace vorne {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::read_file;
using testing::run_program;

// A blank in the prefix: the desktop entries must quote their command.
const std::string prefix = "/opt/vorne test";

std::vector<std::string> installed_programs() {
    if (VORNE_TEST_EDITOR) return {"vorne1.0", "draskel1.0"};
    return {"vorne1.0"};
}

// An install folder as configured (relative to the prefix, or absolute) as the
// programs see it once installed.
std::string full(const std::string& dir) {
    return fs::path(dir).is_absolute() ? dir : prefix + "/" + dir;
}

fs::path build_dir() {
    return fs::path(testing::bin_dir()).parent_path();
}

std::vector<std::string> file_names(const fs::path& dir, const std::string& extension) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == extension) names.push_back(entry.path().filename());
    }
    return names;
}

// A picture as 0xAARRGGBB pixels.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture load_picture(const fs::path& path) {
    Picture picture;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) return picture;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) return picture;
    picture.width = argb->w;
    picture.height = argb->h;
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
        picture.pixels.insert(picture.pixels.end(), row, row + argb->w);
    }
    SDL_FreeSurface(argb);
    return picture;
}

// The [Desktop Entry] group of a desktop entry file.
std::map<std::string, std::string> desktop_entry(const fs::path& path) {
    std::map<std::string, std::string> keys;
    std::ifstream in(path);
    std::string line;
    bool in_group = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            in_group = line == "[Desktop Entry]";
        } else if (in_group && line.find('=') != std::string::npos) {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return keys;
}

// The program an Exec value starts: its first word, unquoted. (Our paths hold
// no backslash, so the entry's own escaping of it plays no part.)
std::string exec_program(const std::string& exec) {
    if (exec.empty() || exec[0] != '"') return exec.substr(0, exec.find(' '));
    std::string program;
    for (size_t i = 1; i < exec.size() && exec[i] != '"'; ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
        program += exec[i];
    }
    return program;
}

class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Each test process installs its own tree: ctest may run them at once.
        root_ = ::testing::TempDir() + "vorne_install_" + std::to_string(getpid());
        fs::remove_all(root_);
        fs::create_directories(root_ + "/work");
        result_ = install();
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }
    void SetUp() override {
        ASSERT_EQ(result_.status, 0) << result_.out << result_.err;
        work_ = root_ + "/work/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(work_);
    }

    static ProgramResult install() {
        setenv("DESTDIR", (root_ + "/dest").c_str(), 1);
        ProgramResult r = run_program(
            VORNE_TEST_CMAKE, {"--install", build_dir().string(), "--prefix", prefix}, root_);
        unsetenv("DESTDIR");
        return r;
    }
    // Where a file installed at `path` (as it will be used, prefix included) lies now.
    static fs::path staged(const std::string& path) { return root_ + "/dest" + path; }
    static fs::path bin() { return staged(full(VORNE_TEST_BINDIR)); }
    static fs::path program_dir() { return staged(full(VORNE_TEST_PROGRAM_DIR)); }
    static fs::path program_data_dir() { return staged(full(VORNE_TEST_PROGRAM_DATA_DIR)); }
    static fs::path data_dir() { return staged(full(VORNE_TEST_DATADIR)); }
    static fs::path theme_dir() { return data_dir() / "icons/hicolor"; }

    ProgramResult run_in(const std::string& dir, const fs::path& program,
                         const std::vector<std::string>& args) {
        fs::create_directories(work_ + "/" + dir);
        return run_program(program, args, work_ + "/" + dir);
    }

    static inline std::string root_;
    static inline ProgramResult result_;
    std::string work_;
};

TEST_F(InstalledTree, HoldsEachProgramWithItsFilesAndNothingElse) {
    const fs::path built = testing::bin_dir();
    // Every file the programs read, as the build made it.
    std::set<fs::path> expected = {program_data_dir() / "map.dat"};
    for (const std::string& source :
         file_names(fs::path(std::getenv("VORNE_SOURCE_DIR")) / "assets/sheets", ".sheet")) {
        expected.insert(program_data_dir() / "sheets" / fs::path(source).replace_extension(".png"));
    }
    EXPECT_EQ(expected.size(), 19u);
    for (const char* extension : {".wav", ".mid", ".ogg"}) {
        for (const std::string& name : file_names(built / "sound", extension))
            expected.insert(program_data_dir() / "sound" / name);
    }
    for (const std::string& name : file_names(built / "map.dat.proofs", ".txt"))
        expected.insert(program_data_dir() / "map.dat.proofs" / name);
    for (const fs::path& file : expected) {
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        EXPECT_EQ(read_file(file), read_file(built / fs::relative(file, program_data_dir())))
            << file;
    }
    // The programs find them beside themselves, through relative links.
    for (const char* item : {"map.dat", "map.dat.proofs", "sheets", "sound"}) {
        fs::path link = program_dir() / item;
        ASSERT_TRUE(fs::is_symlink(link)) << link;
        EXPECT_TRUE(fs::read_symlink(link).is_relative()) << fs::read_symlink(link);
        EXPECT_EQ(fs::canonical(link), fs::canonical(program_data_dir() / item));
        expected.insert(link);
    }
    const std::string docs = VORNE_TEST_DOCDIR;
    for (const char* file :
         {"metainfo/" VORNE_TEST_APPSTREAM_ID ".metainfo.xml", "lintian/overrides/vorne"})
        expected.insert(data_dir() / file);
    expected.insert(staged(full(docs)) / "copyright");
    expected.insert(staged(full(docs)) / "changelog.gz");
    for (const std::string& program : installed_programs()) {
        fs::path installed = program_dir() / program;
        EXPECT_TRUE(fs::is_regular_file(installed)) << installed;
        EXPECT_EQ(access(installed.c_str(), X_OK), 0) << installed;
        expected.insert(installed);
        expected.insert(bin() / program);
        expected.insert(data_dir() / "applications" / (program + ".desktop"));
        expected.insert(staged(full(VORNE_TEST_MANDIR)) / "man6" / (program + ".6.gz"));
    }

    // Nothing else: no tests, tools, libraries or headers. Icons are checked below.
    for (auto it = fs::recursive_directory_iterator(staged("/")); it != fs::end(it); ++it) {
        if (it->is_directory() && !it->is_symlink()) continue;
        const fs::path& path = it->path();
        if (path.string().starts_with(theme_dir().string() + "/")) continue;
        EXPECT_EQ(expected.count(path), 1u) << "installed but not expected: " << path;
        expected.erase(path);
    }
    for (const fs::path& missing : expected)
        ADD_FAILURE() << "not installed: " << missing;
}

TEST_F(InstalledTree, CommandsAreRelativeLinksToThePrograms) {
    for (const std::string& program : installed_programs()) {
        fs::path link = bin() / program;
        ASSERT_TRUE(fs::is_symlink(link)) << link;
        // Relative, so that the tree works wherever DESTDIR put it.
        EXPECT_TRUE(fs::read_symlink(link).is_relative()) << fs::read_symlink(link);
        EXPECT_EQ(fs::canonical(link), fs::canonical(program_dir() / program));
    }
}

TEST_F(InstalledTree, InstallingAgainRepairsTheTree) {
    fs::path link = bin() / "vorne1.0";
    fs::path sheet = program_data_dir() / "sheets/kabe.png";
    fs::remove(link);
    fs::create_symlink("../elsewhere/vorne1.0", link);
    fs::remove(sheet);
    // An install that kept the files beside the programs left a folder there.
    fs::path sound = program_dir() / "sound";
    fs::remove(sound);
    fs::create_directories(sound);
    std::ofstream(sound / "old.wav") << "old";

    ProgramResult again = install();
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(fs::canonical(link), fs::canonical(program_dir() / "vorne1.0"));
    EXPECT_TRUE(fs::is_regular_file(sheet));
    EXPECT_TRUE(fs::is_symlink(sound));
    EXPECT_EQ(fs::canonical(sound), fs::canonical(program_data_dir() / "sound"));
}

TEST_F(InstalledTree, DesktopEntriesStartTheInstalledCommandsWithTheirIcons) {
    for (const std::string& program : installed_programs()) {
        SCOPED_TRACE(program);
        auto entry = desktop_entry(data_dir() / "applications" / (program + ".desktop"));
        EXPECT_EQ(entry["Type"], "Application");
        EXPECT_EQ(entry["Terminal"], "false");
        EXPECT_FALSE(entry["Name"].empty());
        EXPECT_FALSE(entry["Comment"].empty());
        // The full path of the command in the prefix given to the install.
        std::string command = exec_program(entry["Exec"]);
        EXPECT_EQ(command, full(VORNE_TEST_BINDIR) + "/" + program) << entry["Exec"];
        EXPECT_EQ(fs::canonical(staged(command)), fs::canonical(program_dir() / program));
        EXPECT_TRUE(fs::is_regular_file(theme_dir() / "32x32/apps" / (entry["Icon"] + ".png")))
            << entry["Icon"];
    }
    // Menus file the entries by their main category.
    EXPECT_EQ(desktop_entry(data_dir() / "applications/vorne1.0.desktop")["Categories"],
              "Game;ActionGame;");
}

TEST_F(InstalledTree, DesktopEntriesValidate) {
    const std::string validator = "/usr/bin/desktop-file-validate";
    if (access(validator.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian: desktop-file-utils)";
    }
    for (const std::string& program : installed_programs()) {
        fs::path entry = data_dir() / "applications" / (program + ".desktop");
        ProgramResult r = run_in("validate", validator, {entry.string()});
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_EQ((r.out + r.err).find("error"), std::string::npos) << r.out << r.err;
    }
}

TEST_F(InstalledTree, IconsAreShapedAndEnlargedPixelForPixel) {
    for (const std::string& program : installed_programs()) {
        SCOPED_TRACE(program);
        const std::string file = "apps/" + program + ".png";
        Picture drawn = load_picture(theme_dir() / "32x32" / file);
        ASSERT_EQ(drawn.width, 32) << IMG_GetError();
        ASSERT_EQ(drawn.height, 32);
        // Pixel art on a transparent ground: every pixel fully opaque or fully
        // transparent, and the picture fills most of its square.
        size_t opaque = 0, transparent = 0;
        for (uint32_t p : drawn.pixels) {
            opaque += (p >> 24) == 0xFF;
            transparent += (p >> 24) == 0;
        }
        EXPECT_EQ(opaque + transparent, drawn.pixels.size());
        EXPECT_GT(transparent, 0u);
        EXPECT_GT(opaque, drawn.pixels.size() * 2 / 3);

        std::set<int> sizes;
        for (const auto& dir : fs::directory_iterator(theme_dir())) {
            int size = std::atoi(dir.path().filename().c_str());
            ASSERT_EQ(dir.path().filename(), std::to_string(size) + "x" + std::to_string(size));
            sizes.insert(size);
            Picture icon = load_picture(dir.path() / file);
            ASSERT_EQ(icon.width, size) << dir.path();
            ASSERT_EQ(icon.height, size) << dir.path();
            if (size <= 32) continue;
            // A larger size is the 32 x 32 drawing, each pixel a square.
            ASSERT_EQ(size % 32, 0);
            int scale = size / 32, wrong = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x)
                    wrong += icon.at(x, y) != drawn.at(x / scale, y / scale);
            }
            EXPECT_EQ(wrong, 0) << size;
        }
        EXPECT_TRUE(sizes.count(16) && sizes.count(32) && sizes.count(128));
    }
}

TEST_F(InstalledTree, GameStartedThroughItsLinkFindsItsStagesAndSheets) {
    // Z on the title starts the installed map.dat; after the introduction the
    // first stage is built. The game built in the tree must draw the same.
    auto play = [&](const std::string& name, const fs::path& program) {
        fs::create_directories(work_ + "/" + name);
        std::ofstream(work_ + "/" + name + "/in.txt") << "0 0 1\n";
        return run_in(name, program,
                      {"--headless", "--ticks", "60", "--inputs", "in.txt", "--dump", "55:w.json",
                       "--screenshot", "55:s.png"});
    };
    ProgramResult installed = play("installed", bin() / "vorne1.0");
    ProgramResult built = play("built", fs::path(testing::bin_dir()) / "vorne1.0");
    ASSERT_EQ(installed.status, 0) << installed.err;
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(installed.err, "");

    std::string dump = read_file(work_ + "/installed/w.json");
    EXPECT_NE(dump.find("\"game_state\":0,"), std::string::npos);
    // The first row of the first stage of the installed stage file.
    std::string stages = read_file(program_data_dir() / "map.dat");
    if (stages.starts_with("\xEF\xBB\xBF")) stages.erase(0, 3);
    auto lines = testing::lines_of(stages);
    ASSERT_GE(lines.size(), 2u);
    std::string first_row = lines[1].substr(0, lines[1].find('\r'));
    EXPECT_NE(dump.find("\"stage_grid\":[\"" + first_row + "\""), std::string::npos) << first_row;

    EXPECT_EQ(dump, read_file(work_ + "/built/w.json"));
    EXPECT_TRUE(read_file(work_ + "/installed/s.png") == read_file(work_ + "/built/s.png"))
        << "the installed game draws its stage differently";
}

TEST_F(InstalledTree, EditorStartedThroughItsLinkFindsItsChips) {
    if (!VORNE_TEST_EDITOR) GTEST_SKIP() << "the editor is not built";
    // The editor names each sheet it cannot read on stderr, then draws plain chips.
    ProgramResult installed = run_in("installed", bin() / "draskel1.0", {"--screenshot", "e.png"});
    ProgramResult built =
        run_in("built", fs::path(testing::bin_dir()) / "draskel1.0", {"--screenshot", "e.png"});
    ASSERT_EQ(installed.status, 0) << installed.err;
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(installed.err.find("draskel1.0:"), std::string::npos) << installed.err;
    EXPECT_TRUE(read_file(work_ + "/installed/e.png") == read_file(work_ + "/built/e.png"))
        << "the installed editor draws its window differently";
}

}  // namespace
}  // namespace vorne
