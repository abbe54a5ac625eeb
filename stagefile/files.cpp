#include "stagefile/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vorne::stagefile {
namespace {

bool is_dev_null(const struct stat& info) {
    struct stat null_info {};
    return S_ISCHR(info.st_mode) && ::stat("/dev/null", &null_info) == 0 &&
           S_ISCHR(null_info.st_mode) && info.st_rdev == null_info.st_rdev;
}

}  // namespace

std::string_view file_kind(unsigned mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "not a plain file";
}

std::string byte_size_text(uint64_t bytes) {
    std::string text;
    if (bytes % (uint64_t{1} << 20) == 0) {
        text = std::to_string(bytes >> 20) + " MiB (";
    } else if (bytes % 1024 == 0) {
        text = std::to_string(bytes >> 10) + " KiB (";
    } else {
        return std::to_string(bytes) + " bytes";
    }
    return text + std::to_string(bytes) + " bytes)";
}

int open_input_file(const std::string& path, uint64_t max_bytes, std::string& error) {
    if (path.empty()) {
        error = "no file name was given";
        return -1;
    }
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
    // below anyway. The flag is cleared again for a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode) && !is_dev_null(info)) {
        error = path + (S_ISDIR(info.st_mode) ? ": is a folder, not a file"
                                              : ": is not a regular file (" +
                                                    std::string(file_kind(info.st_mode)) + ")");
        ::close(fd);
        return -1;
    }
    if (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > max_bytes) {
        error = path + ": is larger than " + byte_size_text(max_bytes) + ", the most it may hold";
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

}  // namespace vorne::stagefile
