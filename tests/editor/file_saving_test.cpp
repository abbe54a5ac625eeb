// The file writes under the saves: what a failed or refused save leaves, how
// links are followed, and which leftovers of killed saves are cleared.
#include "editor/file_saving.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "stagefile/files.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_folder.h"

namespace vorne::editor {
namespace {

namespace fs = std::filesystem;

using Save = bool (*)(const std::string&, std::string_view, std::string&);

const struct {
    const char* name;
    Save save;
} kSaves[] = {{"alone", replace_file}, {"appended", append_to_file}};

class FileSaving : public testing_support::TempFolderTest {
  protected:
    FileSaving() : TempFolderTest("editor_saving") {}

    static std::set<std::string> names_in(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }
};

using test::FileSizeLimit;

// A PID no process has: a child that has exited and been waited for.
pid_t dead_pid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

const std::string kBlock = "2\r\naa\r\naa\r\n";

TEST_F(FileSaving, AWriteFailingHalfwayLeavesTheFileAsItWasAndNothingBeside) {
    const struct {
        const char* name;
        Save save;
        const char* before;  // nullptr: no file yet
        rlim_t limit;        // the write stops here, inside the new contents
        const char* left;    // how the message ends
    } cases[] = {
        {"unterminated", append_to_file, "1\r\naaa", 10, "; the file was not changed"},
        {"terminated", append_to_file, "1\r\naaa\r\n", 12, "; the file was not changed"},
        {"new_append", append_to_file, nullptr, 5, "; no file was made"},
        {"replaced", replace_file, "1\r\naaa\r\n", 5, "; the file was not changed"},
        {"new_alone", replace_file, nullptr, 5, "; no file was made"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path(std::string(c.name) + ".dat");
        if (c.before) write(file, c.before);
        const std::set<std::string> names = names_in(folder_);
        std::string error;
        {
            FileSizeLimit limit(c.limit);
            EXPECT_FALSE(c.save(file, kBlock, error));
        }
        EXPECT_EQ(error.rfind(file, 0), 0u) << error;
        EXPECT_TRUE(error.ends_with(c.left)) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(names_in(folder_), names);
        if (c.before) {
            EXPECT_EQ(read(file), c.before);
        } else {
            EXPECT_FALSE(fs::exists(file));
        }
    }
}

TEST_F(FileSaving, AppendingEndsAnUnterminatedLastLineAndKeepsThePermissions) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"1\r\naaa", "1\r\naaa\r\nX\r\n"},
        {"1\r\naaa\n", "1\r\naaa\n\r\nX\r\n"},  // a lone LF is part of the line
        {"1\raaa\r", "1\raaa\rX\r\n"},
        {"", "X\r\n"},
    };
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.before)));
        write(path("map.dat"), c.before);
        fs::permissions(path("map.dat"), perms);
        std::string error;
        ASSERT_TRUE(append_to_file(path("map.dat"), "X\r\n", error)) << error;
        EXPECT_EQ(read(path("map.dat")), c.after);
        EXPECT_EQ(fs::status(path("map.dat")).permissions() & fs::perms::all, perms);
        EXPECT_EQ(names_in(folder_), std::set<std::string>{"map.dat"});
    }
}

TEST_F(FileSaving, LinksToNothingLoopsAndSpecialFilesAreRefusedUntouched) {
    fs::create_symlink("missing.dat", path("dangling.dat"));
    fs::create_symlink("loop_b.dat", path("loop_a.dat"));
    fs::create_symlink("loop_a.dat", path("loop_b.dat"));
    ASSERT_EQ(::mkfifo(path("pipe.dat").c_str(), 0600), 0);
    fs::create_directory(path("maps"));
    fs::create_symlink("pipe.dat", path("to_pipe.dat"));
    const struct {
        const char* name;
        const char* problem;
    } cases[] = {
        {"dangling.dat", ": is a symbolic link to a file that does not exist"},
        {"loop_a.dat", ": is a loop of symbolic links"},
        {"pipe.dat", ": is not a regular file (a FIFO)"},
        {"to_pipe.dat", ": is not a regular file (a FIFO)"},
        {"maps", ": is not a regular file (a folder)"},
    };
    const std::set<std::string> names = names_in(folder_);
    for (const auto& save : kSaves) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(save.name) + " " + c.name);
            std::string error;
            EXPECT_FALSE(save.save(path(c.name), kBlock, error));
            EXPECT_EQ(error, path(c.name) + c.problem + "; the file was not changed");
            EXPECT_EQ(names_in(folder_), names);
        }
    }
    EXPECT_TRUE(fs::is_symlink(path("dangling.dat")));
    EXPECT_FALSE(fs::exists(path("missing.dat")));
    EXPECT_TRUE(fs::is_symlink(path("loop_a.dat")));
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(path("pipe.dat"))));
    EXPECT_TRUE(fs::is_empty(path("maps")));
}

TEST_F(FileSaving, SavingThroughARelativeLinkWritesTheFileItNames) {
    fs::create_directories(path("maps"));
    fs::create_directories(path("links"));
    fs::create_symlink("../maps/map.dat", path("links/map.dat"));
    const auto perms = fs::perms::owner_read | fs::perms::owner_write;
    for (const auto& save : kSaves) {
        SCOPED_TRACE(save.name);
        write(path("maps/map.dat"), "0\r\n");
        fs::permissions(path("maps/map.dat"), perms);
        std::string error;
        ASSERT_TRUE(save.save(path("links/map.dat"), kBlock, error)) << error;
        EXPECT_TRUE(fs::is_symlink(path("links/map.dat")));
        EXPECT_EQ(fs::read_symlink(path("links/map.dat")), "../maps/map.dat");
        EXPECT_EQ(read(path("maps/map.dat")),
                  save.save == replace_file ? kBlock : "0\r\n" + kBlock);
        EXPECT_EQ(fs::status(path("maps/map.dat")).permissions() & fs::perms::all, perms);
        EXPECT_EQ(names_in(path("maps")), std::set<std::string>{"map.dat"});
        EXPECT_EQ(names_in(path("links")), std::set<std::string>{"map.dat"});
    }
}

TEST_F(FileSaving, ASaveClearsOnlyTheLeftoversOfEditorsNoLongerRunning) {
    const std::string dead = std::to_string(dead_pid());
    const std::string live = std::to_string(::getpid());
    const struct {
        std::string name;
        bool kept;
    } leftovers[] = {
        {".map.dat.draskel-" + dead + "-a1B2c3", false},
        {".map.dat.draskel-" + live + "-a1B2c3", true},  // a save still going on
        {".map.dat.draskel-" + dead + "-a1B2c", true},   // not a name mkstemp makes
        {".map.dat.draskel-" + dead + "x-a1B2c3", true},
        {"map.dat.draskel-" + dead + "-a1B2c3", true},  // not hidden
        {".map.dat.XyZ123", true},
        {".hidden", true},
    };
    const std::string dead_folder = ".dir.dat.draskel-" + dead + "-qwerty";
    const std::string dead_link = ".link.dat.draskel-" + dead + "-qwerty";
    for (const auto& save : kSaves) {
        SCOPED_TRACE(save.name);
        std::set<std::string> kept = {"map.dat", dead_folder, dead_link};
        for (const auto& leftover : leftovers) {
            write(path(leftover.name), "left");
            if (leftover.kept) kept.insert(leftover.name);
        }
        fs::create_directories(path(dead_folder));
        if (!fs::is_symlink(path(dead_link))) fs::create_symlink("map.dat", path(dead_link));
        std::string error;
        ASSERT_TRUE(save.save(path("map.dat"), kBlock, error)) << error;
        EXPECT_EQ(names_in(folder_), kept);
    }
}

TEST_F(FileSaving, AnAppendPastTheLargestStageFileIsRefused) {
    const auto most = static_cast<std::uintmax_t>(stagefile::max_file_bytes);
    const struct {
        std::uintmax_t size;
        const char* problem;
    } cases[] = {
        {most + 1, ": is larger than 64 MiB (67108864 bytes), the most a stage file may hold"},
        {most - 4,
         ": would be larger than 64 MiB (67108864 bytes) with the stage appended, the most a "
         "stage file may hold"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        write(path("big.dat"), "");
        fs::resize_file(path("big.dat"), c.size);  // sparse: no room needed
        std::string error;
        EXPECT_FALSE(append_to_file(path("big.dat"), kBlock, error));
        EXPECT_EQ(error, path("big.dat") + c.problem + "; the file was not changed");
        EXPECT_EQ(fs::file_size(path("big.dat")), c.size);
        EXPECT_EQ(names_in(folder_), std::set<std::string>{"big.dat"});
    }
}

}  // namespace
}  // namespace vorne::editor
