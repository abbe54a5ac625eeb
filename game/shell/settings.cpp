#include "game/shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "game/shell/whole_number.h"

namespace vorne {
namespace {

constexpr int32_t position_limit = 1000000;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<int32_t> whole_number(std::string_view text, int32_t min, int32_t max) {
    int64_t value = 0;
    if (!parse_int(text, min, max, value)) return {};
    return static_cast<int32_t>(value);
}

}  // namespace

ReadSettings parse_settings(std::string_view text) {
    ReadSettings result;
    Settings& s = result.settings;
    int32_t bad = 0, first_bad = 0, x_line = 0, y_line = 0;
    auto ignore = [&](int32_t line) {
        if (bad++ == 0 || line < first_bad) first_bad = line;
    };
    int32_t line_number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line_number;
        if (line.empty() || line.front() == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            ignore(line_number);
            continue;
        }
        std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        std::optional<int32_t> position = whole_number(value, -position_limit, position_limit);
        bool good = true;
        if (key == "fullscreen" && (value == "yes" || value == "no")) {
            s.fullscreen = value == "yes";
        } else if (key == "scale" && whole_number(value, 1, 16)) {
            s.scale = whole_number(value, 1, 16);
        } else if (key == "x" && position) {
            s.x = position;
            x_line = line_number;
        } else if (key == "y" && position) {
            s.y = position;
            y_line = line_number;
        } else {
            good = false;
        }
        if (!good) ignore(line_number);
    }
    // A position needs both corners' coordinates.
    if (s.x.has_value() != s.y.has_value()) {
        ignore(s.x ? x_line : y_line);
        s.x.reset();
        s.y.reset();
    }
    if (bad > 0)
        result.warning = "ignored " + std::to_string(bad) + (bad == 1 ? " line" : " lines") +
                         " that did not read as a setting (line " + std::to_string(first_bad) +
                         (bad == 1 ? ")" : " first)");
    return result;
}

std::string format_settings(const Settings& s) {
    std::string text = "# vorne1.0 keeps these between runs (see README.md); key = value\n";
    if (s.fullscreen) text += std::string("fullscreen = ") + (*s.fullscreen ? "yes" : "no") + "\n";
    if (s.scale) text += "scale = " + std::to_string(*s.scale) + "\n";
    if (s.x && s.y) text += "x = " + std::to_string(*s.x) + "\ny = " + std::to_string(*s.y) + "\n";
    return text;
}

std::string settings_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/vorne";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.config/vorne";
    return "";
}

ReadSettings read_settings_file(const std::string& folder) {
    ReadSettings result;
    if (folder.empty()) return result;
    const std::string path = folder + "/settings";
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return result;
    if (ec || status.type() != std::filesystem::file_type::regular) {
        result.warning = path + ": not a plain file, ignored";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text(settings_file_limit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in && !in.eof()) {
        result.warning = path + ": cannot be read, ignored";
        return result;
    }
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > settings_file_limit) {
        result.warning =
            path + ": larger than " + std::to_string(settings_file_limit) + " bytes, ignored";
        return result;
    }
    result = parse_settings(text);
    if (!result.warning.empty()) result.warning = path + ": " + result.warning;
    return result;
}

std::string write_settings_file(const std::string& folder, const Settings& settings) {
    if (folder.empty()) return "cannot save settings: neither XDG_CONFIG_HOME nor HOME is set";
    auto failed = [&](const std::string& why) {
        return "cannot save settings in " + folder + ": " + why;
    };
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return failed(ec.message());
    std::string temp = folder + "/settings.XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return failed(std::strerror(errno));
    const std::string text = format_settings(settings);
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    int error = done == text.size() ? 0 : (errno ? errno : EIO);
    if (::fchmod(fd, 0644) != 0 && !error) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && std::rename(temp.c_str(), (folder + "/settings").c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return failed(std::strerror(error));
    }
    return "";
}

ScaleFit fit_scale(int32_t usable_w, int32_t usable_h, int32_t requested) {
    // The window is 200 x 200 at scale 1; 90 % of the area is 9 tenths.
    int64_t room = std::min<int64_t>(usable_w, usable_h) * 9 / 10;
    int32_t fits = static_cast<int32_t>(std::clamp<int64_t>(room / 200, 1, 16));
    if (requested <= 0) return {std::min(fits, 6), false};
    if (requested <= fits) return {requested, false};
    return {fits, true};
}

namespace {

bool inside(const Area& window, const Area& display) {
    return window.x >= display.x && window.y >= display.y &&
           int64_t(window.x) + window.w <= int64_t(display.x) + display.w &&
           int64_t(window.y) + window.h <= int64_t(display.y) + display.h;
}

}  // namespace

WindowPlan plan_window(const std::vector<Display>& displays, const Settings& remembered,
                       int32_t asked, int32_t fallback) {
    WindowPlan plan;
    int32_t wanted = asked > 0 ? asked : remembered.scale.value_or(0);
    if (displays.empty()) {
        plan.scale = wanted > 0 ? wanted : fallback;
        return plan;
    }
    // The display that holds the remembered corner, else the first.
    std::optional<Area> at;
    if (remembered.x && remembered.y) {
        for (size_t i = 0; i < displays.size(); ++i) {
            if (inside(Area{*remembered.x, *remembered.y, 1, 1}, displays[i].bounds)) {
                plan.display = static_cast<int32_t>(i);
                at = Area{*remembered.x, *remembered.y, 0, 0};
                break;
            }
        }
    }
    plan.usable = displays[static_cast<size_t>(plan.display)].usable;
    ScaleFit fit = fit_scale(plan.usable.w, plan.usable.h, wanted);
    plan.scale = fit.scale;
    plan.reduced = fit.reduced && asked > 0;
    if (at) {
        at->w = at->h = 200 * plan.scale;
        if (inside(*at, displays[static_cast<size_t>(plan.display)].bounds)) plan.at = at;
    }
    return plan;
}

}  // namespace vorne
