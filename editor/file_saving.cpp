#include "editor/file_saving.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vorne::editor {

namespace {

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

// True when the last line of the open file fd (of size bytes) lacks its line
// end: the file ends neither in CR nor in CR LF. False when it cannot tell.
bool last_line_unterminated(int fd, off_t size) {
    if (size <= 0) return false;
    char tail[2] = {0, 0};
    const off_t start = size >= 2 ? size - 2 : 0;
    const size_t wanted = static_cast<size_t>(size - start);
    if (::pread(fd, tail, wanted, start) != static_cast<ssize_t>(wanted)) return false;
    const char last = tail[wanted - 1];
    if (last == '\r') return false;
    if (last == '\n' && wanted == 2 && tail[0] == '\r') return false;
    return true;
}

mode_t default_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool replace_file(const std::string& path, std::string_view contents, std::string& error) {
    if (path.empty()) {
        error = "no file name was given";
        return false;
    }
    // Through a symbolic link, replace the file it names, not the link.
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = default_file_mode();
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = path + ": is a folder";
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            error = path + ": is not a regular file";
            return false;
        }
        mode = info.st_mode & 07777;
    }

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + (slash == std::string::npos ? "/." : ".") + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = path + ": cannot write a new file beside it: " + reason(errno);
        return false;
    }
    bool written = write_all(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int failure = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && ::rename(temp.c_str(), target.c_str()) != 0) {
        written = false;
        failure = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        error = path + ": " + reason(failure) + "; the file was not changed";
        return false;
    }
    return true;
}

bool append_to_file(const std::string& path, std::string_view contents, std::string& error) {
    if (path.empty()) {
        error = "no file name was given";
        return false;
    }
    bool created = true;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
        // A file we may write but not read: append without looking at its end.
        if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    }
    if (fd < 0) {
        error = path + ": " + reason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = path + ": " + reason(errno);
        ::close(fd);
        return false;
    }
    const off_t size_before = info.st_size;
    const bool regular = S_ISREG(info.st_mode);

    std::string block;
    if (regular && last_line_unterminated(fd, size_before)) block = "\r\n";
    block += contents;

    bool written = write_all(fd, block) && (!regular || ::fsync(fd) == 0);
    int failure = written ? 0 : errno;
    if (!written) {
        // Take back whatever part of the block reached the file.
        if (created) {
            ::unlink(path.c_str());
        } else if (regular) {
            (void)::ftruncate(fd, size_before);
        }
    }
    // The block is on the disk once fsync succeeded; closing changes nothing.
    ::close(fd);
    if (!written) {
        error = path + ": " + reason(failure) + "; the stage was not appended";
        return false;
    }
    return true;
}

}  // namespace vorne::editor
