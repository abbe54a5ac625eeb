#include "stagefile/chars.h"

#include <cstdint>

namespace vorne::stagefile {

size_t character_length(std::string_view text) {
    if (text.empty()) return 0;
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 1;  // a continuation byte or an invalid lead byte alone
    }
    if (text.size() < length) return 1;
    if (byte(1) < low || byte(1) > high) return 1;
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 1;
    }
    return length;
}

std::vector<std::string_view> split_characters(std::string_view text) {
    std::vector<std::string_view> characters;
    while (!text.empty()) {
        size_t length = character_length(text);
        characters.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return characters;
}

size_t count_characters(std::string_view text) {
    size_t count = 0;
    while (!text.empty()) {
        text.remove_prefix(character_length(text));
        ++count;
    }
    return count;
}

std::string readable_bytes(std::string_view bytes, size_t max_characters) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    size_t shown = 0;
    while (!bytes.empty()) {
        if (shown == max_characters) {
            out += "...";
            break;
        }
        const size_t length = character_length(bytes);
        const auto lead = static_cast<uint8_t>(bytes[0]);
        if (length > 1) {
            // A valid multi-byte character; C1 controls (U+0080..U+009F) are escaped.
            if (lead == 0xC2 && static_cast<uint8_t>(bytes[1]) < 0xA0) {
                for (size_t i = 0; i < length; ++i) {
                    const auto b = static_cast<uint8_t>(bytes[i]);
                    out += {'\\', 'x', hex[b >> 4], hex[b & 15]};
                }
            } else {
                out.append(bytes.substr(0, length));
            }
        } else if (lead == '\r') {
            out += "\\r";
        } else if (lead == '\n') {
            out += "\\n";
        } else if (lead == '\t') {
            out += "\\t";
        } else if (lead == '\\') {
            out += "\\\\";
        } else if (lead >= 0x20 && lead < 0x7F) {
            out += static_cast<char>(lead);
        } else {
            out += {'\\', 'x', hex[lead >> 4], hex[lead & 15]};
        }
        bytes.remove_prefix(length);
        ++shown;
    }
    return out;
}

}  // namespace vorne::stagefile
