// A stage file open for reading, read strictly forward, line by line.
// A line ends at CR or at CR LF; an LF alone is a character of the line; the
// last line may end at the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vorne::stagefile {

class Reader {
  public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() { close(); }

    // Opens path for reading; on failure returns false and sets error to a
    // message that names the file and the reason (a folder is refused too).
    bool open(const std::string& path, std::string* error = nullptr);
    // Reads from text in memory instead of a file; name stands for the file in
    // messages. Used by the tests and the fuzzer.
    void open_text(std::string name, std::string text);
    // Closing a reader that is not open does nothing.
    void close();
    bool is_open() const { return file_ != nullptr || text_open_; }
    const std::string& path() const { return path_; }

    // True when no byte is left to read (or nothing is open).
    bool at_end();
    // Reads the next line without its terminator. Returns false, leaving line
    // empty, when the file is at its end or not open.
    bool read_line(std::string& line);
    // The same, keeping at most max_bytes bytes of the line: the rest of the
    // line is read and dropped, and line_truncated() says so. Memory stays
    // bounded whatever the file holds.
    bool read_line(std::string& line, size_t max_bytes);
    bool line_truncated() const { return truncated_; }
    // Number of lines read so far (1-based line number of the last line read).
    int32_t lines_read() const { return lines_read_; }
    // True once any line read so far held an LF that was not preceded by a CR.
    bool saw_lone_line_feed() const { return saw_lone_lf_; }
    // True when reading stopped on an error of the system rather than at the
    // end of the file.
    bool read_failed() const { return failed_; }

    // Skips a UTF-8 byte order mark (EF BB BF) when the next bytes are one,
    // as some editors write at the start of a file. Returns true if it did.
    bool skip_byte_order_mark();

    // Looks through the whole file once (then goes back to where reading
    // was) and says whether it holds any CR and any LF byte. Returns false when
    // the file could not be looked through.
    bool scan_line_ends(bool& has_carriage_return, bool& has_line_feed);

  private:
    int get();
    void unget(int c);

    std::FILE* file_ = nullptr;
    bool text_open_ = false;
    std::string text_;
    size_t text_pos_ = 0;
    std::string path_;
    int32_t lines_read_ = 0;
    bool saw_lone_lf_ = false;
    bool truncated_ = false;
    bool failed_ = false;
};

}  // namespace vorne::stagefile
