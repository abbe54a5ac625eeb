// Opening a file to read it, safely whatever the path names: nothing here
// ever blocks on a FIFO or reads a device without end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorne::stagefile {

// The most bytes any reader of stage files takes from one file.
inline constexpr uint64_t max_file_bytes = uint64_t{64} << 20;

// Opens path for reading (close-on-exec). Only a regular file is taken:
// a folder, a FIFO, a socket or a device is refused at once without waiting
// for a writer, except /dev/null, which reads as an empty file. A regular
// file larger than max_bytes is refused too. Returns the descriptor, or -1
// with error set to one line that names the file and the reason, for example
// "maps/pipe.dat: is not a regular file (a FIFO)".
int open_input_file(const std::string& path, uint64_t max_bytes, std::string& error);

// What a file that is not a regular file is, for messages: "a folder",
// "a FIFO", "a socket", "a character device", "a block device".
std::string_view file_kind(unsigned mode);

// One line for "larger than": "64 MiB (67108864 bytes)".
std::string byte_size_text(uint64_t bytes);

}  // namespace vorne::stagefile
