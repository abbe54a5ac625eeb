#include "game/shell/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace vorne {
namespace {

std::string path_error(const std::string& path, int error_number) {
    return path + ": " + std::strerror(error_number);
}

}  // namespace

bool can_write_later(const std::string& path, std::string& error) {
    if (path.back() == '/') {
        error = path + ": names a folder, not a file";
        return false;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = path + ": is a folder, not a file";
            return false;
        }
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
            error = path_error(path, errno);
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        error = path_error(path, errno);
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    if (::stat(folder.c_str(), &info) != 0) {
        error = path + ": the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = path + ": " + folder + " is not a folder";
        return false;
    }
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        error = path + ": cannot make a file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::open(const std::string& path, std::string& error) {
    path_ = path;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ < 0) error = path_error(path, errno);
    return fd_ >= 0;
}

bool OutputFile::write(std::string_view text, std::string& error) {
    buffer_.append(text);
    return buffer_.size() < block_bytes || flush(error);
}

bool OutputFile::close(std::string& error) {
    bool ok = flush(error);
    if (::close(fd_) != 0 && ok) {
        error = path_error(path_, errno);
        ok = false;
    }
    fd_ = -1;
    return ok;
}

bool OutputFile::flush(std::string& error) {
    std::string_view rest = buffer_;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd_, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = path_error(path_, n < 0 ? errno : EIO);
            buffer_.clear();
            return false;
        }
        rest.remove_prefix(static_cast<size_t>(n));
    }
    buffer_.clear();
    return true;
}

bool write_text_file(const std::string& path, const std::string& text, std::string& error) {
    OutputFile out;
    return out.open(path, error) && out.write(text, error) && out.close(error);
}

int check_tick_files(const Options& options) {
    for (const auto* files : {&options.dumps, &options.screenshots}) {
        for (const TickFile& f : *files) {
            std::string error;
            if (options.ticks && f.tick > *options.ticks) {
                error = f.path + ": tick " + std::to_string(f.tick) +
                        " comes after the last (--ticks " + std::to_string(*options.ticks) + ")";
            } else {
                can_write_later(f.path, error);
            }
            if (!error.empty()) {
                std::cerr << "vorne1.0: " << error << '\n';
                return 2;
            }
        }
    }
    return 0;
}

std::string first_unreached(const Options& options, int64_t last_tick) {
    const TickFile* first = nullptr;
    size_t more = 0;
    for (const auto* files : {&options.dumps, &options.screenshots}) {
        for (const TickFile& f : *files) {
            if (f.tick <= last_tick) continue;
            if (!first || f.tick < first->tick) {
                if (first) ++more;
                first = &f;
            } else {
                ++more;
            }
        }
    }
    if (!first) return {};
    std::string error = first->path + ": not written: the game quit at tick " +
                        std::to_string(last_tick) + ", before tick " + std::to_string(first->tick);
    if (more > 0) error += " (and " + std::to_string(more) + " more not written)";
    return error;
}

}  // namespace vorne
