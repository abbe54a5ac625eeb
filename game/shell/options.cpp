#include "game/shell/options.h"

#include <charconv>
#include <string_view>

#include "game/shell/whole_number.h"
#include "game/world/stage_file.h"
#include "stagefile/check.h"
#include "stagefile/decimal.h"

namespace vorne {
namespace {

bool parse_tick_file(const std::string& text, TickFile& out) {
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 >= text.size()) return false;
    int64_t tick = 0;
    if (!parse_int(text.substr(0, colon), 1, INT64_MAX, tick)) return false;
    out.tick = tick;
    out.path = text.substr(colon + 1);
    return true;
}

// Seconds for --budget: a decimal number such as 60 or 0.5.
bool parse_seconds(const std::string& text, double& out) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
    double value = 0;
    auto [end, ec] = stagefile::parse_decimal(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (!(value > 0 && value <= 86400)) return false;
    out = value;
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
    bool budget_given = false;
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
        } else if (arg == "--stage") {
            int64_t n = 0;
            if (!value(v) || !parse_int(v, 1, INT32_MAX, n))
                return fail("--stage needs a whole number of 1 or more");
            o.stage = static_cast<int32_t>(n);
        } else if (arg == "--scale") {
            int64_t n = 0;
            if (!value(v) || !parse_int(v, 1, 16, n))
                return fail("--scale needs a whole number from 1 to 16");
            o.scale = static_cast<int32_t>(n);
            o.scale_given = true;
        } else if (arg == "--renderer") {
            if (!value(v) || (v != "auto" && v != "gpu" && v != "software"))
                return fail("--renderer needs auto, gpu or software");
            o.renderer = v;
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
        } else if (arg == "--record" || arg == "--replay" || arg == "--prove") {
            if (!value(v) || v.empty()) return fail(arg + " needs a file");
            (arg == "--record" ? o.record : arg == "--replay" ? o.replay : o.prove) = v;
        } else if (arg == "--solve") {
            if (!value(v) || v.empty()) return fail("--solve needs a stage file");
            o.solve = v;
        } else if (arg == "--out") {
            if (!value(v) || v.empty()) return fail("--out needs a file");
            o.out = v;
        } else if (arg == "--budget") {
            if (!value(v) || !parse_seconds(v, o.budget))
                return fail("--budget needs a number of seconds, more than 0 and at most 86400");
            budget_given = true;
        } else {
            return fail("unknown option '" + args[i] + "' (try --help)");
        }
    }

    if (!o.check.empty() && options_seen > 1) return fail("--check takes no other options");
    if (!o.prove.empty() && options_seen > 1) return fail("--prove takes no other options");
    if (!o.replay.empty() && o.headless)
        return fail("--replay plays in a window; headless, give the recording to --inputs");
    if (!o.replay.empty() && !o.record.empty()) return fail("--replay cannot go with --record");
    if (!o.solve.empty()) {
        // --solve FILE [--stage N] [--out INPUTS] [--budget SECONDS]
        const int solve_options =
            1 + (o.stage ? 1 : 0) + (o.out.empty() ? 0 : 1) + (budget_given ? 1 : 0);
        if (options_seen > solve_options || !o.check.empty())
            return fail("--solve takes only --stage, --out and --budget");
        return result;
    }
    if (!o.out.empty()) return fail("--out needs --solve FILE");
    if (budget_given) return fail("--budget needs --solve FILE");
    if (o.stage && o.map.empty()) return fail("--stage needs --map FILE");
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

std::string stage_past_the_last(const Options& options) {
    if (!options.stage || options.map.empty()) return "";
    const stagefile::CheckResult read = stagefile::check_stage_file(options.map);
    if (!read.readable) return "";
    if (!read.findings.empty() && read.findings.back().refusal) return "";
    if (read.stages >= *options.stage) return "";
    return StageError{options.map, 0, 0, missing_stage_problem(read.stages, *options.stage)}
        .message();
}

std::string usage_text(const std::string& program) {
    return "Usage: " + program +
           " [--map FILE [--stage N]] [--scale N] [--record FILE | --replay FILE]\n"
           "       " +
           program +
           " --prove FILE\n"
           "       " +
           program +
           " --headless [--map FILE [--stage N]] [--inputs FILE] [--ticks N]\n"
           "           [--trace FILE] [--dump TICK:FILE]... [--screenshot TICK:FILE]...\n"
           "           [--dialog FILE] [--record FILE]\n"
           "       " +
           program +
           " --solve FILE [--stage N] [--out INPUTS] [--budget SECONDS]\n"
           "\n"
           "VORNE: climb through the building, collect every coin to open the door.\n"
           "Keys: arrows move and climb, Z starts and fires, X chooses a stage file,\n"
           "Esc quits.\n"
           "\n"
           "Options:\n"
           "  --map FILE          stage file that Z opens on the title (default: map.dat\n"
           "                      beside the program)\n"
           "  --stage N           play at once from stage N of the --map file, without the\n"
           "                      title and that stage's introduction\n"
           "  --scale N           window scale 1..16, at most what fits (default: last used)\n"
           "  --renderer MODE     how the window draws: auto (default), gpu or software\n"
           "  --check FILE        read a stage file as the game does and list, stage by\n"
           "                      stage, what will go wrong or cannot be won (coins, keys,\n"
           "                      the power item and the door out of the player's reach\n"
           "                      included); exit status 0 when nothing is wrong, 1 when\n"
           "                      something is, 2 when the file cannot be read\n"
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
           "  --record FILE       write the input of every tick to FILE, for --inputs or\n"
           "                      --replay (also headless)\n"
           "  --replay FILE       play a recording in the window (keys 1-4: 1x 2x 4x 8x,\n"
           "                      P pauses, Esc quits); its --map/--stage unless given\n"
           "  --prove FILE        replay every proof in FILE.proofs/ and report each stage:\n"
           "                      proven, stale, failed or none; exit status 0 when every\n"
           "                      stage is proven\n"
           "  --solve FILE        search for an input that clears stage N (--stage, default\n"
           "                      1) of FILE from a fresh game, enemies included; replay it\n"
           "                      to be sure and write it to --out INPUTS as recorded input\n"
           "                      for --headless --map FILE --stage N --inputs INPUTS; stop\n"
           "                      after --budget SECONDS (default 60); exit status 0\n"
           "                      solved, 1 not solved, 2 a bad option or file\n"
           "  --help              show this help and exit\n"
           "  --version           show the version and exit\n";
}

std::string version_text() {
    return "vorne1.0 " VORNE_VERSION "\n";
}

}  // namespace vorne
