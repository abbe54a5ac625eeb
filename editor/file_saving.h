// Writing stage files safely: a file is replaced whole or not at all, and an
// append either adds the whole block or leaves the file as it was, even when
// the editor is killed halfway.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorne::editor {

// The file operations under the saves, for any contents. Every failure
// returns false with error set to one line naming the file and the problem.
//
// Both write the new file beside the old one under a hidden name of the form
// ".NAME.draskel-PID-XXXXXX" and rename it over the old file, keeping its
// permission bits. Before that they remove such files left in the folder by
// editors that are no longer running (same user, no process with that PID).
//
// A symbolic link is followed to the file it names, which is written; the
// link stays. A link to nothing or a loop of links is refused, and so is
// anything that is not a regular file (a folder, a FIFO, a socket, a device),
// without waiting on it.
bool replace_file(const std::string& path, std::string_view contents, std::string& error);

// Appends contents to path, creating the file when there is none. A last
// line without its line end gets CR LF first, so contents start on a line of
// their own. The file must be readable, and may not exceed
// stagefile::max_file_bytes with contents appended.
bool append_to_file(const std::string& path, std::string_view contents, std::string& error);

// Reads the whole of path into bytes, opened as stagefile::open_input_file
// does (a regular file of at most max_bytes, nothing that could block). Bytes
// past max_bytes are not read: a file that grows meanwhile ends up with
// max_bytes + 1 bytes, for the caller to refuse.
bool read_whole_file(const std::string& path, uint64_t max_bytes, std::string& bytes,
                     std::string& error);

}  // namespace vorne::editor
