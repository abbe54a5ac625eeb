#include "stagefile/reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vorne::stagefile {
namespace {

constexpr size_t buffer_bytes = size_t{64} * 1024;

std::string too_large_problem() {
    return "the file is larger than " + byte_size_text(max_file_bytes) +
           ", the most a stage file may hold";
}

}  // namespace

void Reader::reset_state(std::string path) {
    path_ = std::move(path);
    pos_ = 0;
    end_ = 0;
    eof_ = false;
    bytes_taken_ = 0;
    problem_.clear();
    problem_line_ = 0;
    lines_read_ = 0;
    saw_lone_lf_ = false;
}

bool Reader::open(const std::string& path, std::string* error) {
    close();
    std::string reason;
    const int fd = open_input_file(path, max_file_bytes, reason);
    if (fd < 0) {
        if (error) *error = reason;
        return false;
    }
    fd_ = fd;
    buffer_.resize(buffer_bytes);
    data_ = buffer_.data();
    reset_state(path);
    return true;
}

void Reader::open_text(std::string name, std::string text) {
    close();
    text_open_ = true;
    text_ = std::move(text);
    data_ = text_.data();
    reset_state(std::move(name));
    end_ = text_.size();
    eof_ = true;
    if (text_.size() > max_file_bytes) fail(too_large_problem());
}

void Reader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    text_open_ = false;
    text_.clear();
    text_.shrink_to_fit();
    buffer_.clear();
    buffer_.shrink_to_fit();
    data_ = nullptr;
    pos_ = 0;
    end_ = 0;
}

void Reader::fail(std::string problem) {
    pos_ = end_;  // nothing more is read
    if (!problem_.empty()) return;
    problem_ = std::move(problem);
    problem_line_ = lines_read_ + 1;
}

bool Reader::refill() {
    if (!problem_.empty() || eof_ || fd_ < 0) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            fail(std::string("the file could not be read: ") + std::strerror(errno));
            return false;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        bytes_taken_ += static_cast<uint64_t>(got);
        if (bytes_taken_ > max_file_bytes) {
            fail(too_large_problem());
            return false;
        }
        pos_ = 0;
        end_ = static_cast<size_t>(got);
        return true;
    }
}

bool Reader::at_end() {
    return !fill();
}

bool Reader::read_line(std::string& line) {
    line.clear();
    if (!fill()) return false;
    for (;;) {
        if (!fill()) {
            if (failed()) {
                line.clear();
                return false;
            }
            break;  // the last line ends at the end of the file
        }
        const char* start = data_ + pos_;
        const size_t available = end_ - pos_;
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', available));
        const size_t piece = cr ? static_cast<size_t>(cr - start) : available;
        if (!saw_lone_lf_ && std::memchr(start, '\n', piece)) saw_lone_lf_ = true;
        if (line.size() + piece > max_line_bytes) {
            line.clear();
            fail("the line is longer than " + byte_size_text(max_line_bytes) +
                 ", the most a line of a stage file may hold");
            return false;
        }
        line.append(start, piece);
        pos_ += piece;
        if (cr) {
            ++pos_;
            if (fill() && data_[pos_] == '\n') ++pos_;
            if (failed()) {
                line.clear();
                return false;
            }
            break;
        }
    }
    ++lines_read_;
    return true;
}

bool Reader::skip_byte_order_mark() {
    static constexpr char mark[] = {'\xEF', '\xBB', '\xBF'};
    // The mark can only be at the very start, where the buffer holds the
    // file's first bytes (or all of it, when it is shorter).
    if (!fill()) return false;
    if (fd_ >= 0 && end_ - pos_ < 3 && !eof_) {
        // A read may return fewer bytes than asked; take the rest of the mark.
        while (end_ < 3) {
            const ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            bytes_taken_ += static_cast<uint64_t>(got);
            end_ += static_cast<size_t>(got);
        }
    }
    if (end_ - pos_ >= 3 && std::memcmp(data_ + pos_, mark, 3) == 0) {
        pos_ += 3;
        return true;
    }
    return false;
}

bool Reader::scan_line_ends(bool& has_carriage_return, bool& has_line_feed) {
    has_carriage_return = false;
    has_line_feed = false;
    if (failed()) return false;
    const auto look = [&](const char* bytes, size_t size) {
        if (!has_carriage_return && std::memchr(bytes, '\r', size)) has_carriage_return = true;
        if (!has_line_feed && std::memchr(bytes, '\n', size)) has_line_feed = true;
        return has_carriage_return && has_line_feed;
    };
    if (look(data_ + pos_, end_ - pos_) || text_open_ || fd_ < 0 || eof_) return true;
    // The rest of the file, read beside the reading position.
    off_t offset = static_cast<off_t>(bytes_taken_);
    uint64_t taken = bytes_taken_;
    std::vector<char> chunk(buffer_bytes);
    for (;;) {
        const ssize_t got = ::pread(fd_, chunk.data(), chunk.size(), offset);
        if (got < 0) {
            if (errno == EINTR) continue;
            fail(std::string("the file could not be read: ") + std::strerror(errno));
            return false;
        }
        if (got == 0) return true;
        taken += static_cast<uint64_t>(got);
        if (taken > max_file_bytes) {
            fail(too_large_problem());
            return false;
        }
        offset += got;
        if (look(chunk.data(), static_cast<size_t>(got))) return true;
    }
}

}  // namespace vorne::stagefile
