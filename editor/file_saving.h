// Writing stage files safely: a file is replaced whole or not at all, and an
// append either adds the whole block or leaves the file as it was.
#pragma once

#include <string>
#include <string_view>

namespace vorne::editor {

// The file operations under the saves, for any contents. Every failure
// returns false with error set to one line naming the file and the problem.
bool replace_file(const std::string& path, std::string_view contents, std::string& error);
bool append_to_file(const std::string& path, std::string_view contents, std::string& error);

}  // namespace vorne::editor
