// JSON of the headless trace and dumps. Documents are nlohmann::ordered_json
// (keys keep the order they were added in) and are written compact, on one
// line, by json_text. Strings are written by append_json_string rather than
// by nlohmann's dump(): the files keep their bytes where the two differ
// (backspace and form feed as \u0008 and \u000c, DEL as \u007f, and each byte
// that is not UTF-8 as the six characters \ufffd).
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "game/world/world.h"

namespace vorne {

using Json = nlohmann::ordered_json;

// A rectangle as [left, top, right, bottom]; an enemy state as its seven
// fields in order.
void to_json(Json& j, const Rect& r);
void to_json(Json& j, const EnemyState& s);

// The document as one line of text.
std::string json_text(const Json& value);

// Appends s to out as a JSON string; bytes that are not valid UTF-8 become
// U+FFFD so the output is always valid JSON.
void append_json_string(std::string& out, std::string_view s);

}  // namespace vorne
