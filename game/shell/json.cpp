#include "game/shell/json.h"

#include <cstdio>

namespace vorne {

void to_json(Json& j, const Rect& r) {
    j = Json::array({r.left, r.top, r.right, r.bottom});
}

void to_json(Json& j, const EnemyState& s) {
    j = Json::array({s.enemy_pose, s.enemy_frame, s.enemy_armour, s.field4, s.field5,
                     s.enemy_shot_active, s.enemy_shot_heading});
}

namespace {

void append_json(std::string& out, const Json& value) {
    switch (value.type()) {
        case Json::value_t::object: {
            out += '{';
            for (auto item = value.begin(); item != value.end(); ++item) {
                if (item != value.begin()) out += ',';
                append_json_string(out, item.key());
                out += ':';
                append_json(out, item.value());
            }
            out += '}';
            break;
        }
        case Json::value_t::array:
            out += '[';
            for (auto item = value.begin(); item != value.end(); ++item) {
                if (item != value.begin()) out += ',';
                append_json(out, *item);
            }
            out += ']';
            break;
        case Json::value_t::string:
            append_json_string(out, value.get_ref<const std::string&>());
            break;
        case Json::value_t::number_integer:
            out += std::to_string(value.get<int64_t>());
            break;
        default:  // unsigned and floating-point numbers, true, false, null
            out += value.dump();
    }
}

}  // namespace

std::string json_text(const Json& value) {
    std::string out;
    append_json(out, value);
    return out;
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
