#include "stagefile/reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace vorne::stagefile {

bool Reader::open(const std::string& path, std::string* error) {
    close();
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        if (error) *error = path + ": " + (errno ? std::strerror(errno) : "cannot be opened");
        return false;
    }
    // A folder opens on Linux but cannot be read: refuse it here, by name.
    struct stat info {};
    if (fstat(fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        if (error) *error = path + ": is a folder, not a file";
        return false;
    }
    path_ = path;
    lines_read_ = 0;
    saw_lone_lf_ = false;
    truncated_ = false;
    failed_ = false;
    return true;
}

void Reader::open_text(std::string name, std::string text) {
    close();
    text_open_ = true;
    text_ = std::move(text);
    text_pos_ = 0;
    path_ = std::move(name);
    lines_read_ = 0;
    saw_lone_lf_ = false;
    truncated_ = false;
    failed_ = false;
}

void Reader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    text_open_ = false;
    text_.clear();
    text_pos_ = 0;
}

int Reader::get() {
    if (text_open_) {
        if (text_pos_ >= text_.size()) return EOF;
        return static_cast<unsigned char>(text_[text_pos_++]);
    }
    if (!file_) return EOF;
    int c = std::fgetc(file_);
    if (c == EOF && std::ferror(file_)) failed_ = true;
    return c;
}

void Reader::unget(int c) {
    if (c == EOF) return;
    if (text_open_) {
        --text_pos_;
    } else if (file_) {
        std::ungetc(c, file_);
    }
}

bool Reader::at_end() {
    int c = get();
    if (c == EOF) return true;
    unget(c);
    return false;
}

bool Reader::read_line(std::string& line) {
    return read_line(line, std::numeric_limits<size_t>::max());
}

bool Reader::read_line(std::string& line, size_t max_bytes) {
    line.clear();
    truncated_ = false;
    if (at_end()) return false;
    for (;;) {
        int c = get();
        if (c == EOF) break;
        if (c == '\r') {
            int next = get();
            if (next != '\n') unget(next);
            break;
        }
        if (c == '\n') saw_lone_lf_ = true;
        if (line.size() < max_bytes) {
            line.push_back(static_cast<char>(c));
        } else {
            truncated_ = true;
        }
    }
    ++lines_read_;
    return true;
}

bool Reader::skip_byte_order_mark() {
    static constexpr unsigned char mark[] = {0xEF, 0xBB, 0xBF};
    if (text_open_) {
        if (text_.compare(text_pos_, 3, reinterpret_cast<const char*>(mark), 3) != 0) return false;
        text_pos_ += 3;
        return true;
    }
    if (!file_) return false;
    long start = std::ftell(file_);
    if (start < 0) return false;
    unsigned char bytes[3] = {};
    size_t got = std::fread(bytes, 1, 3, file_);
    if (got == 3 && bytes[0] == mark[0] && bytes[1] == mark[1] && bytes[2] == mark[2]) return true;
    std::clearerr(file_);
    std::fseek(file_, start, SEEK_SET);
    return false;
}

bool Reader::scan_line_ends(bool& has_carriage_return, bool& has_line_feed) {
    has_carriage_return = false;
    has_line_feed = false;
    if (text_open_) {
        has_carriage_return = text_.find('\r', text_pos_) != std::string::npos;
        has_line_feed = text_.find('\n', text_pos_) != std::string::npos;
        return true;
    }
    if (!file_) return false;
    long start = std::ftell(file_);
    if (start < 0) return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            if (buffer[i] == '\r') has_carriage_return = true;
            if (buffer[i] == '\n') has_line_feed = true;
        }
        if (has_carriage_return && has_line_feed) break;
    }
    bool ok = !std::ferror(file_);
    std::clearerr(file_);
    if (std::fseek(file_, start, SEEK_SET) != 0) return false;
    return ok;
}

}  // namespace vorne::stagefile
