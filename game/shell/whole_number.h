// A whole number from the command line, a recorded-input line or the settings
// file: decimal digits with an optional minus sign, nothing else, within
// min..max.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

namespace vorne {

inline bool parse_int(std::string_view text, int64_t min, int64_t max, int64_t& out) {
    if (text.empty()) return false;
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (value < min || value > max) return false;
    out = value;
    return true;
}

}  // namespace vorne
