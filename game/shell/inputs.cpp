#include "game/shell/inputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "game/shell/whole_number.h"
#include "stagefile/chars.h"
#include "stagefile/files.h"

namespace vorne {
namespace {

// The separators of the three fields: white space of the C locale.
bool is_field_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Splits text into lines ending in LF (a last line may lack it) and calls
// take(line, line_number) for each, without its CR of a CR LF end; stops when
// take returns false.
template <typename Take>
bool for_each_line(std::string_view text, Take take) {
    size_t line_number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!take(line, ++line_number)) return false;
    }
    return true;
}

bool is_skipped(std::string_view line) {
    size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

}  // namespace

std::optional<std::vector<InputStep>> parse_inputs(const std::string& text, const std::string& name,
                                                   std::string& error) {
    // Without any LF, a CR before the end means the lines end in CR alone: read
    // as one line, the first comment would swallow the whole file.
    if (text.find('\n') == std::string::npos) {
        size_t cr = text.find('\r');
        if (cr != std::string::npos && cr + 1 < text.size()) {
            error = name + ": has CR line ends; lines must end in LF or CR LF";
            return std::nullopt;
        }
    }

    // Room for exactly the lines that may hold a step, so a large file takes
    // no more than its steps.
    size_t step_lines = 0;
    for_each_line(text, [&](std::string_view line, size_t) {
        step_lines += is_skipped(line) ? 0 : 1;
        return true;
    });
    std::vector<InputStep> steps;
    steps.reserve(step_lines);

    bool good = for_each_line(text, [&](std::string_view line, size_t line_number) {
        auto bad = [&](const std::string& why) {
            error = name + ":" + std::to_string(line_number) + ": " + why + " in '" +
                    stagefile::readable_bytes(line) + "' (expected [N*]STICK_X STICK_Y BUTTONS)";
            return false;
        };
        if (line.size() > max_input_line_bytes)
            return bad("line longer than " + std::to_string(max_input_line_bytes) + " bytes");
        if (is_skipped(line)) return true;

        std::string_view fields[3];
        size_t count = 0;
        for (size_t i = 0; i < line.size();) {
            if (is_field_space(line[i])) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < line.size() && !is_field_space(line[end]))
                ++end;
            if (count == 3) return bad("need three fields");
            fields[count++] = line.substr(i, end - i);
            i = end;
        }
        if (count != 3) return bad("need three fields");

        InputStep step;
        std::string_view a = fields[0];
        size_t star = a.find('*');
        if (star != std::string_view::npos) {
            int64_t repeat = 0;
            if (!parse_int(a.substr(0, star), 1, INT64_MAX, repeat)) return bad("bad repeat count");
            step.count = repeat;
            a.remove_prefix(star + 1);
        }
        int64_t sx = 0, sy = 0, buttons = 0;
        if (!parse_int(a, -1, 1, sx)) return bad("stick x must be -1, 0 or 1");
        if (!parse_int(fields[1], -1, 1, sy)) return bad("stick y must be -1, 0 or 1");
        if (!parse_int(fields[2], 0, max_input_buttons, buttons))
            return bad("buttons must be 0.." + std::to_string(max_input_buttons));
        step.stick_x = static_cast<int16_t>(sx);
        step.stick_y = static_cast<int16_t>(sy);
        step.buttons = static_cast<int32_t>(buttons);
        steps.push_back(step);
        return true;
    });
    if (!good) return std::nullopt;
    return steps;
}

namespace {

// Reads all of fd into text, at most max_inputs_bytes: counted as it comes,
// since a file may grow or report no size.
bool read_bounded(int fd, const std::string& path, std::string& text, std::string& error) {
    const size_t limit = max_inputs_bytes + 1;  // one byte more shows a file too large
    struct stat info {};
    size_t expected = 0;
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        expected = static_cast<size_t>(std::min<uint64_t>(info.st_size, max_inputs_bytes));
    text.reserve(expected + 1);  // the end of file is seen without growing
    for (;;) {
        if (text.size() == text.capacity())
            text.reserve(std::min(limit, std::max<size_t>(text.capacity() * 2, 64 << 10)));
        const size_t old = text.size();
        text.resize(std::min(text.capacity(), limit));
        const ssize_t n = ::read(fd, text.data() + old, text.size() - old);
        text.resize(old + static_cast<size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0) {
            if (errno == EINTR) continue;
            error = path + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        if (text.size() > max_inputs_bytes) {
            error = path + ": is larger than " + stagefile::byte_size_text(max_inputs_bytes) +
                    ", the most it may hold";
            return false;
        }
    }
}

}  // namespace

std::optional<std::string> read_inputs_text(const std::string& path, std::string& error) {
    const int fd = stagefile::open_input_file(path, max_inputs_bytes, error);
    if (fd < 0) return std::nullopt;
    std::string text;
    const bool read = read_bounded(fd, path, text, error);
    ::close(fd);
    if (!read) return std::nullopt;
    return text;
}

std::optional<std::vector<InputStep>> read_inputs(const std::string& path, std::string& error) {
    std::optional<std::string> text = read_inputs_text(path, error);
    if (!text) return std::nullopt;
    return parse_inputs(*text, path, error);
}

}  // namespace vorne
