#include "stagefile/reader.h"

#include <cerrno>
#include <cstring>

namespace vorne::stagefile {

bool Reader::open(const std::string& path, std::string* error) {
    close();
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        if (error) *error = path + ": " + (errno ? std::strerror(errno) : "cannot be opened");
        return false;
    }
    path_ = path;
    lines_read_ = 0;
    saw_lone_lf_ = false;
    return true;
}

void Reader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool Reader::at_end() {
    if (!file_) return true;
    int c = std::fgetc(file_);
    if (c == EOF) return true;
    std::ungetc(c, file_);
    return false;
}

bool Reader::read_line(std::string& line) {
    line.clear();
    if (at_end()) return false;
    for (;;) {
        int c = std::fgetc(file_);
        if (c == EOF) break;
        if (c == '\r') {
            int next = std::fgetc(file_);
            if (next != '\n' && next != EOF) std::ungetc(next, file_);
            break;
        }
        if (c == '\n') saw_lone_lf_ = true;
        line.push_back(static_cast<char>(c));
    }
    ++lines_read_;
    return true;
}

}  // namespace vorne::stagefile
