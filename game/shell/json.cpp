#include "game/shell/json.h"

#include <cstdio>

namespace vorne {

void JsonWriter::separate() {
    if (need_comma_) out_ += ',';
    need_comma_ = false;
}

JsonWriter& JsonWriter::begin_object() {
    separate();
    out_ += '{';
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    out_ += '}';
    need_comma_ = true;
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    separate();
    out_ += '[';
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    out_ += ']';
    need_comma_ = true;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    append_json_string(out_, name);
    out_ += ':';
    return *this;
}

JsonWriter& JsonWriter::value(int64_t v) {
    separate();
    out_ += std::to_string(v);
    need_comma_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view v) {
    separate();
    append_json_string(out_, v);
    need_comma_ = true;
    return *this;
}

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t utf8_length(std::string_view s, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr uint32_t min_for_length[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < min_for_length[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
    out += '"';
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = utf8_length(s, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (n == 1) {
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (c < 0x20 || c == 0x7F) {
                        char buf[8];
                        std::snprintf(buf, sizeof buf, "\\u%04x", c);
                        out += buf;
                    } else {
                        out += static_cast<char>(c);
                    }
            }
        } else {
            out.append(s.substr(i, n));
        }
        i += n;
    }
    out += '"';
}

}  // namespace vorne
