// A stage file open for reading, read strictly forward, line by line.
// A line ends at CR or at CR LF; an LF alone is a character of the line; the
// last line may end at the end of the file.
#pragma once

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
    // message that names the file and the reason.
    bool open(const std::string& path, std::string* error = nullptr);
    // Closing a reader that is not open does nothing.
    void close();
    bool is_open() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // True when no byte is left to read (or nothing is open).
    bool at_end();
    // Reads the next line without its terminator. Returns false, leaving line
    // empty, when the file is at its end or not open.
    bool read_line(std::string& line);
    // Number of lines read so far (1-based line number of the last line read).
    int32_t lines_read() const { return lines_read_; }
    // True once any line read so far held an LF that was not preceded by a CR.
    bool saw_lone_line_feed() const { return saw_lone_lf_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    int32_t lines_read_ = 0;
    bool saw_lone_lf_ = false;
};

}  // namespace vorne::stagefile
