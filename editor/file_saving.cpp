#include "editor/file_saving.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "stagefile/files.h"

namespace vorne::editor {

namespace {

constexpr std::string_view kUnchanged = "; the file was not changed";
constexpr std::string_view kNothingMade = "; no file was made";

// Marks the hidden files we write beside a target: ".NAME.draskel-PID-XXXXXX".
constexpr std::string_view kTempTag = ".draskel-";
constexpr size_t kTempRandomChars = 6;  // what mkostemp fills in
// Room left for the tag, the PID and the random part under NAME_MAX.
constexpr size_t kMaxNameInTemp = 200;

std::string reason(int error_number) {
    return std::strerror(error_number);
}

// Writes all of contents to fd; false with errno set on failure.
bool write_all(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// True when the last line of contents lacks its line end: they end neither
// in CR nor in CR LF. A line feed alone is part of the line.
bool last_line_unterminated(std::string_view contents) {
    if (contents.empty()) return false;
    if (contents.back() == '\r') return false;
    if (contents.size() >= 2 && contents.substr(contents.size() - 2) == "\r\n") return false;
    return true;
}

mode_t default_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file a save writes, found before anything is opened.
struct Target {
    std::string path;    // links resolved
    std::string folder;  // "" for the current folder, else ending in '/'
    std::string name;
    bool exists = false;
    struct stat info {};
};

// Resolves path to the regular file to write, or to a name not taken yet.
// Refuses a link to nothing, a loop of links and anything but a regular file.
bool find_target(const std::string& path, Target& target, std::string& error) {
    if (path.empty()) {
        error = "no file name was given";
        return false;
    }
    target.path = path;
    struct stat link_info {};
    if (::lstat(path.c_str(), &link_info) != 0) {
        if (errno != ENOENT) {
            error = path + ": " + reason(errno);
            return false;
        }
    } else {
        if (S_ISLNK(link_info.st_mode)) {
            // Write the file the link names, so the link keeps pointing at it.
            char* resolved = ::realpath(path.c_str(), nullptr);
            if (resolved == nullptr) {
                const int failure = errno;
                if (failure == ENOENT) {
                    error = path + ": is a symbolic link to a file that does not exist";
                } else if (failure == ELOOP) {
                    error = path + ": is a loop of symbolic links";
                } else {
                    error = path + ": " + reason(failure);
                }
                error += kUnchanged;
                return false;
            }
            target.path = resolved;
            std::free(resolved);
        }
        if (::stat(target.path.c_str(), &target.info) != 0) {
            error = path + ": " + reason(errno) + std::string(kUnchanged);
            return false;
        }
        if (!S_ISREG(target.info.st_mode)) {
            error = path + ": is not a regular file (" +
                    std::string(stagefile::file_kind(target.info.st_mode)) + ")" +
                    std::string(kUnchanged);
            return false;
        }
        target.exists = true;
    }
    const size_t slash = target.path.rfind('/');
    target.folder = slash == std::string::npos ? "" : target.path.substr(0, slash + 1);
    target.name = slash == std::string::npos ? target.path : target.path.substr(slash + 1);
    return true;
}

// The PID inside a name of our temporary files, or 0 when the name is not one.
pid_t temp_file_pid(std::string_view name) {
    const size_t tag = name.rfind(kTempTag);
    // A hidden name with something between the dot and the tag.
    if (tag == std::string_view::npos || tag < 2 || name.front() != '.') return 0;
    std::string_view rest = name.substr(tag + kTempTag.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 10) return 0;
    long long pid = 0;
    for (char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + (c - '0');
    }
    const std::string_view random = rest.substr(dash + 1);
    if (random.size() != kTempRandomChars) return 0;
    for (char c : random) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return 0;
    }
    if (pid <= 0 || pid > INT_MAX) return 0;
    return static_cast<pid_t>(pid);
}

// Removes the temporary files of saves killed before their rename: only our
// names, only regular files of this user, only when no process has the PID.
// Best effort: whatever cannot be looked at is left alone.
void remove_stale_temp_files(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    const int dir_fd = ::dirfd(dir);
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t pid = temp_file_pid(entry->d_name);
        if (pid == 0) continue;
        struct stat info {};
        if (::fstatat(dir_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(info.st_mode) || info.st_uid != user) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        (void)::unlinkat(dir_fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Writes contents to a new file beside the target, with the given mode, and
// renames it over the target. On failure nothing of it is left.
bool write_beside(const std::string& path, const Target& target, std::string_view contents,
                  mode_t mode, std::string& error) {
    const std::string_view kept = target.exists ? kUnchanged : kNothingMade;
    std::string temp = target.folder + "." + target.name.substr(0, kMaxNameInTemp) +
                       std::string(kTempTag) + std::to_string(::getpid()) + "-" +
                       std::string(kTempRandomChars, 'X');
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = path + ": cannot write a new file beside it: " + reason(errno) + std::string(kept);
        return false;
    }
    bool written = write_all(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int failure = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && ::rename(temp.c_str(), target.path.c_str()) != 0) {
        written = false;
        failure = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        error = path + ": " + reason(failure) + std::string(kept);
        return false;
    }
    // Make the rename itself last through a power cut; the save stands without it.
    const int dir_fd = ::open(target.folder.empty() ? "." : target.folder.c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd >= 0) {
        (void)::fsync(dir_fd);
        ::close(dir_fd);
    }
    return true;
}

// Reads the whole of the regular file target into contents, refusing it when
// it cannot be read or grows past the most a stage file may hold.
bool read_old_file(const std::string& path, const Target& target, std::string& contents,
                   std::string& error) {
    const uint64_t most = stagefile::max_file_bytes;
    const std::string too_large = path + ": is larger than " + stagefile::byte_size_text(most) +
                                  ", the most a stage file may hold" + std::string(kUnchanged);
    if (static_cast<uint64_t>(target.info.st_size) > most) {
        error = too_large;
        return false;
    }
    // O_RDWR: a file we may not write is refused as before, though the rename
    // would not need it. O_NONBLOCK: should a FIFO take the file's place since
    // the stat, the open must not wait for a writer.
    int fd = ::open(target.path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int failure = errno;
        if (failure == EACCES && ::access(target.path.c_str(), R_OK) != 0) {
            // Rebuilding the file needs its contents; writing to its end in
            // place could leave half a block behind.
            error = path + ": cannot be read, so the stage cannot be appended safely" +
                    std::string(kUnchanged);
        } else {
            error = path + ": " + reason(failure) + std::string(kUnchanged);
        }
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + ": is not a regular file any more" + std::string(kUnchanged);
        ::close(fd);
        return false;
    }
    contents.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = path + ": " + reason(errno) + std::string(kUnchanged);
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        contents.append(buffer, static_cast<size_t>(got));
        if (contents.size() > most) {
            error = too_large;
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return true;
}

}  // namespace

bool replace_file(const std::string& path, std::string_view contents, std::string& error) {
    Target target;
    if (!find_target(path, target, error)) return false;
    remove_stale_temp_files(target.folder);
    const mode_t mode = target.exists ? (target.info.st_mode & 07777) : default_file_mode();
    return write_beside(path, target, contents, mode, error);
}

bool append_to_file(const std::string& path, std::string_view contents, std::string& error) {
    Target target;
    if (!find_target(path, target, error)) return false;
    remove_stale_temp_files(target.folder);

    // The appended file is built whole beside the old one and renamed over
    // it, rather than written to the old file's end: a write can stop short
    // and the editor can be killed before it is taken back, and a stage file
    // with half a block is refused by the game as a whole. A rename leaves
    // either the old file or the new one.
    std::string whole;
    if (target.exists && !read_old_file(path, target, whole, error)) return false;
    if (last_line_unterminated(whole)) whole += "\r\n";
    whole += contents;
    if (whole.size() > stagefile::max_file_bytes) {
        error = path + ": would be larger than " +
                stagefile::byte_size_text(stagefile::max_file_bytes) +
                " with the stage appended, the most a stage file may hold" +
                std::string(target.exists ? kUnchanged : kNothingMade);
        return false;
    }
    const mode_t mode = target.exists ? (target.info.st_mode & 07777) : default_file_mode();
    return write_beside(path, target, whole, mode, error);
}

bool read_whole_file(const std::string& path, uint64_t max_bytes, std::string& bytes,
                     std::string& error) {
    const int fd = stagefile::open_input_file(path, max_bytes, error);
    if (fd < 0) return false;
    bytes.clear();
    char buffer[64 * 1024];
    while (bytes.size() <= max_bytes) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = path + ": the file could not be read: " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    if (bytes.size() > max_bytes) bytes.resize(max_bytes + 1);
    return true;
}

}  // namespace vorne::editor
