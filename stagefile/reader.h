// A stage file open for reading, read strictly forward, line by line.
// A line ends at CR or at CR LF; an LF alone is a character of the line; the
// last line may end at the end of the file.
//
// Reading is bounded whatever the file holds: a line longer than
// max_line_bytes or a file of more than max_file_bytes (counted while
// reading, for files whose size cannot be known beforehand) stops reading
// with a problem() instead of taking memory or time without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stagefile/files.h"

namespace vorne::stagefile {

// The longest line a stage file may hold. A row is at most 400 characters of
// at most 4 bytes; the rest is room for blanks on a count line.
inline constexpr size_t max_line_bytes = size_t{64} * 1024;

class Reader {
  public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() { close(); }

    // Opens path for reading; on failure returns false and sets error to a
    // message that names the file and the reason. Only regular files (and
    // /dev/null, read as empty) are taken: folders, FIFOs, sockets and devices
    // are refused at once, and so is a file larger than max_file_bytes.
    bool open(const std::string& path, std::string* error = nullptr);
    // Reads from text in memory instead of a file; name stands for the file in
    // messages. Used by the tests and the fuzzers.
    void open_text(std::string name, std::string text);
    // Closing a reader that is not open does nothing.
    void close();
    bool is_open() const { return fd_ >= 0 || text_open_; }
    const std::string& path() const { return path_; }

    // True when no byte is left to read, nothing is open, or a problem has
    // stopped reading.
    bool at_end();
    // Reads the next line without its terminator. Returns false, leaving line
    // empty, at the end of the file or when a problem stops reading.
    bool read_line(std::string& line);

    // Why reading stopped before the end of the file (a read error, a line
    // too long, a file too large), in words for the designer; empty when it
    // did not. Once set, nothing more is read.
    const std::string& problem() const { return problem_; }
    bool failed() const { return !problem_.empty(); }
    // The line (1-based) at which the problem arose.
    int32_t problem_line() const { return problem_line_; }

    // Number of lines read so far (1-based line number of the last line read).
    int32_t lines_read() const { return lines_read_; }
    // Bytes of the file taken by reading so far: a skipped byte order mark
    // and every line read, its line end included. Where one stage block ends
    // and the next begins.
    uint64_t offset() const { return text_open_ ? pos_ : bytes_taken_ - (end_ - pos_); }
    // True once any line read so far held an LF that was not preceded by a CR.
    bool saw_lone_line_feed() const { return saw_lone_lf_; }

    // Skips a UTF-8 byte order mark (EF BB BF) when the next bytes are one,
    // as some editors write at the start of a file. Returns true if it did.
    bool skip_byte_order_mark();

    // Looks through the rest of the file once, without moving the reading
    // position, and says whether it holds any CR and any LF byte. Returns
    // false when the file could not be looked through (then problem() says
    // why).
    bool scan_line_ends(bool& has_carriage_return, bool& has_line_feed);

  private:
    // Makes at least one unread byte available; false at the end or on a
    // problem (which leaves nothing unread).
    bool fill() { return pos_ < end_ || refill(); }
    bool refill();
    void fail(std::string problem);
    void reset_state(std::string path);

    int fd_ = -1;
    bool text_open_ = false;
    std::string text_;            // the whole text in memory (open_text)
    std::vector<char> buffer_;    // bytes read from the file
    const char* data_ = nullptr;  // the unread bytes: data_[pos_, end_)
    size_t pos_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    uint64_t bytes_taken_ = 0;  // bytes read from the file so far
    std::string path_;
    std::string problem_;
    int32_t problem_line_ = 0;
    int32_t lines_read_ = 0;
    bool saw_lone_lf_ = false;
};

}  // namespace vorne::stagefile
