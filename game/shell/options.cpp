#include "game/shell/options.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vorne {
namespace {

bool parse_int(const std::string& text, int64_t min, int64_t max, int64_t& out) {
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

std::optional<std::vector<InputStep>> parse_inputs(const std::string& text, const std::string& name,
                                                   std::string& error) {
    std::vector<InputStep> steps;
    std::istringstream in(text);
    std::string line;
    int line_number = 0;
    while (std::getline(in, line)) {
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;

        auto bad = [&](const std::string& why) {
            error = name + ":" + std::to_string(line_number) + ": " + why + " in '" + line +
                    "' (expected [N*]STICK_X STICK_Y BUTTONS)";
            return std::nullopt;
        };
        std::istringstream fields(line);
        std::string a, b, c, extra;
        if (!(fields >> a >> b >> c) || (fields >> extra)) return bad("need three fields");

        InputStep step;
        size_t star = a.find('*');
        if (star != std::string::npos) {
            int64_t count = 0;
            if (!parse_int(a.substr(0, star), 1, INT64_MAX, count)) return bad("bad repeat count");
            step.count = count;
            a = a.substr(star + 1);
        }
        int64_t sx = 0, sy = 0, buttons = 0;
        if (!parse_int(a, -1, 1, sx)) return bad("stick x must be -1, 0 or 1");
        if (!parse_int(b, -1, 1, sy)) return bad("stick y must be -1, 0 or 1");
        if (!parse_int(c, 0, 15, buttons)) return bad("buttons must be 0..15");
        step.stick_x = static_cast<int16_t>(sx);
        step.stick_y = static_cast<int16_t>(sy);
        step.buttons = static_cast<int32_t>(buttons);
        steps.push_back(step);
    }
    return steps;
}

std::optional<std::vector<InputStep>> read_inputs(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = path + ": read error";
        return std::nullopt;
    }
    return parse_inputs(text.str(), path, error);
}

}  // namespace vorne
