// The headless runner's output files: written so that every failure is seen
// with its reason, and checked before the run so that a run does not end on
// a file it could never write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/shell/options.h"

namespace vorne {

// A file written with write(2), so that every failure is seen with its reason,
// the last buffered bytes and the close included.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool open(const std::string& path, std::string& error);
    bool is_open() const { return fd_ >= 0; }
    // Buffers text, writing it out in blocks.
    bool write(std::string_view text, std::string& error);
    bool close(std::string& error);
    // Writes out what is buffered.
    bool flush(std::string& error);

  private:
    static constexpr size_t block_bytes = 8192;

    std::string path_;
    int fd_ = -1;
    std::string buffer_;
};

// Whether a file can be written at path later, without creating it now: the
// path names no folder, an existing file is writable, and a new one's folder
// exists and takes new files. false with the reason in error when not.
bool can_write_later(const std::string& path, std::string& error);

// Writes a whole file; false with the reason in error when that fails.
bool write_text_file(const std::string& path, const std::string& text, std::string& error);

// The files written at a tick: start-up refuses what cannot be written and a
// tick past the end of the run; returns the exit status 2, or 0 when all is well.
int check_tick_files(const Options& options);

// The first file whose tick never came (the game quit before it), as an error.
std::string first_unreached(const Options& options, int64_t last_tick);

}  // namespace vorne
