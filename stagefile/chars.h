// The characters of a stage file's line. Stage files are UTF-8 text; a cell is
// one character, whatever its byte length. A byte that is not part of a valid
// UTF-8 sequence (a stray byte, a truncated or overlong sequence, a surrogate,
// a value past U+10FFFF) counts as one character by itself, so every line
// splits into characters and nothing is lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::stagefile {

// Byte length (1..4) of the character that starts text; 0 for empty text.
size_t character_length(std::string_view text);

// The characters of text in order, as views into text.
std::vector<std::string_view> split_characters(std::string_view text);

// Number of characters of text (the length of split_characters).
size_t count_characters(std::string_view text);

// The bytes of a file as a person can read them in a message, without
// quotes: printable UTF-8 characters as they are, CR, LF and tab as \r, \n and
// \t, a backslash as \\, and every other byte (control bytes, invalid UTF-8)
// as \xNN. At most max_characters characters of the text are shown; a text
// cut there ends in "...".
std::string readable_bytes(std::string_view bytes, size_t max_characters = 40);

}  // namespace vorne::stagefile
