#include "game/shell/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "stagefile/chars.h"
#include "stagefile/files.h"

namespace vorne {
namespace {

bool parse_int(std::string_view text, int64_t min, int64_t max, int64_t& out) {
    if (text.empty()) return false;
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (value < min || value > max) return false;
    out = value;
    return true;
}

bool parse_tick_file(const std::string& text, TickFile& out) {
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 >= text.size()) return false;
    int64_t tick = 0;
    if (!parse_int(text.substr(0, colon), 1, INT64_MAX, tick)) return false;
    out.tick = tick;
    out.path = text.substr(colon + 1);
    return true;
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
    ParsedOptions result;
    Options& o = result.options;
    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };

    int options_seen = 0;
    for (size_t i = 0; i < args.size(); ++i, ++options_seen) {
        std::string arg = args[i];
        std::optional<std::string> inline_value;
        if (arg.rfind("--", 0) == 0) {
            size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inline_value = arg.substr(eq + 1);
                arg.resize(eq);
            }
        }
        auto value = [&](std::string& out) -> bool {
            if (inline_value) {
                out = *inline_value;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        auto no_value = [&]() { return !inline_value.has_value(); };

        std::string v;
        if (arg == "--help" || arg == "-h") {
            if (!no_value()) return fail(arg + " takes no value");
            o.help = true;
        } else if (arg == "--version") {
            if (!no_value()) return fail(arg + " takes no value");
            o.version = true;
        } else if (arg == "--headless") {
            if (!no_value()) return fail(arg + " takes no value");
            o.headless = true;
        } else if (arg == "--check") {
            if (!value(v) || v.empty()) return fail("--check needs a stage file");
            o.check = v;
        } else if (arg == "--map") {
            if (!value(v) || v.empty()) return fail("--map needs a stage file");
            o.map = v;
        } else if (arg == "--scale") {
            int64_t n = 0;
            if (!value(v) || !parse_int(v, 1, 16, n))
                return fail("--scale needs a whole number from 1 to 16");
            o.scale = static_cast<int32_t>(n);
        } else if (arg == "--inputs") {
            if (!value(v) || v.empty()) return fail("--inputs needs a file");
            o.inputs = v;
        } else if (arg == "--ticks") {
            int64_t n = 0;
            if (!value(v) || !parse_int(v, 0, INT64_MAX, n))
                return fail("--ticks needs a whole number of 0 or more");
            o.ticks = n;
        } else if (arg == "--trace") {
            if (!value(v) || v.empty()) return fail("--trace needs a file");
            o.trace = v;
        } else if (arg == "--dump" || arg == "--screenshot") {
            TickFile tf;
            if (!value(v) || !parse_tick_file(v, tf))
                return fail(arg + " needs TICK:FILE with a tick of 1 or more");
            (arg == "--dump" ? o.dumps : o.screenshots).push_back(tf);
        } else if (arg == "--dialog") {
            if (!value(v) || v.empty()) return fail("--dialog needs a file");
            o.dialog = v;
        } else {
            return fail("unknown option '" + args[i] + "' (try --help)");
        }
    }

    if (!o.check.empty() && options_seen > 1) return fail("--check takes no other options");
    if (!o.headless) {
        const char* headless_only = nullptr;
        if (!o.inputs.empty())
            headless_only = "--inputs";
        else if (o.ticks)
            headless_only = "--ticks";
        else if (!o.trace.empty())
            headless_only = "--trace";
        else if (!o.dumps.empty())
            headless_only = "--dump";
        else if (!o.screenshots.empty())
            headless_only = "--screenshot";
        else if (o.dialog)
            headless_only = "--dialog";
        if (headless_only) return fail(std::string(headless_only) + " needs --headless");
    }
    return result;
}

std::string usage_text(const std::string& program) {
    return "Usage: " + program +
           " [--map FILE] [--scale N]\n"
           "       " +
           program +
           " --headless [--map FILE] [--inputs FILE] [--ticks N]\n"
           "           [--trace FILE] [--dump TICK:FILE]... [--screenshot TICK:FILE]...\n"
           "           [--dialog FILE]\n"
           "\n"
           "VORNE: climb through the building, collect every coin to open the door.\n"
           "Keys: arrows move and climb, Z starts and fires, X chooses a stage file,\n"
           "Esc quits.\n"
           "\n"
           "Options:\n"
           "  --map FILE          stage file that Z opens on the title (default: map.dat\n"
           "                      beside the program)\n"
           "  --scale N           window scale, a whole number 1..16 (default 3)\n"
           "  --check FILE        read a stage file as the game does and list, stage by\n"
           "                      stage, what will go wrong or cannot be won; exit status\n"
           "                      0 when nothing is wrong, 1 when something is, 2 when the\n"
           "                      file cannot be read\n"
           "  --headless          run without a window or sound, 40 ms of virtual time\n"
           "                      per tick, as fast as the machine allows\n"
           "  --inputs FILE       headless: recorded input, one line per tick:\n"
           "                      [N*]STICK_X STICK_Y BUTTONS (after the last line: 0 0 0)\n"
           "  --ticks N           headless: run N ticks, then exit (default: until Esc)\n"
           "  --trace FILE        headless: write one JSON object per tick\n"
           "  --dump TICK:FILE    headless: write the whole world after that tick as JSON\n"
           "  --screenshot TICK:FILE\n"
           "                      headless: write the 200 x 200 frame after that tick as PNG\n"
           "  --dialog FILE       headless: the file the open-file dialog answers\n"
           "                      (without it the dialog is cancelled)\n"
           "  --help              show this help and exit\n"
           "  --version           show the version and exit\n";
}

std::string version_text() {
    return "vorne1.0 1.0\n";
}

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
        if (!parse_int(fields[2], 0, 15, buttons)) return bad("buttons must be 0..15");
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

std::optional<std::vector<InputStep>> read_inputs(const std::string& path, std::string& error) {
    const int fd = stagefile::open_input_file(path, max_inputs_bytes, error);
    if (fd < 0) return std::nullopt;
    std::string text;
    const bool read = read_bounded(fd, path, text, error);
    ::close(fd);
    if (!read) return std::nullopt;
    return parse_inputs(text, path, error);
}

}  // namespace vorne
