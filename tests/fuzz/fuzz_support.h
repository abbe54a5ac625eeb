// Helpers shared by the fuzz targets: a broken promise aborts with a message
// naming the target, and a private temporary file lets a target hand its
// input to code that reads stage files by path.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::fuzz {

// Prints "TARGET: broken: WHAT" and aborts, so that libFuzzer saves the input.
[[noreturn]] inline void fail(const char* target, const std::string& what) {
    std::fprintf(stderr, "%s: broken: %s\n", target, what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void check(bool ok, const char* target, const std::string& what) {
    if (!ok) fail(target, what);
}

// A file in a folder of its own under the system's temporary folder, made
// once per process (keep the object in a static) and rewritten by every run.
// The folder goes when the process ends normally.
class TempFile {
  public:
    TempFile(const char* target, const char* file_name) : target_(target) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(target) + "-XXXXXX")).string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data()))
            fail(target_, std::string("cannot make a temporary folder: ") + std::strerror(errno));
        folder_ = buffer.data();
        path_ = folder_ + "/" + file_name;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    const std::string& folder() const { return folder_; }
    const std::string& path() const { return path_; }

    // Replaces the file's contents with bytes.
    void write(std::string_view bytes) const {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) fail(target_, path_ + ": cannot be written: " + std::strerror(errno));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) fail(target_, path_ + ": write failed: " + std::strerror(errno));
            done += static_cast<size_t>(n);
        }
        ::close(fd);
    }

  private:
    const char* target_;
    std::string folder_;
    std::string path_;
};

// Bytes shown readably in a failure message: printable ASCII as it is, every
// other byte as \xHH, cut after limit bytes.
inline std::string readable(std::string_view bytes, size_t limit = 200) {
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (bytes.size() > limit) out += "...";
    return out;
}

}  // namespace vorne::fuzz
