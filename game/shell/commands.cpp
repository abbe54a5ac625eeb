#include "game/shell/commands.h"

#include <iostream>
#include <vector>

#include "game/proof/reach.h"
#include "game/shell/prove.h"
#include "game/shell/solve_run.h"
#include "stagefile/check.h"

namespace vorne {
namespace {

// Lists what is wrong with a stage file, with what the player cannot reach:
// status 0 nothing, 1 something, 2 the file cannot be read.
int run_check(const std::string& path) {
    stagefile::CheckResult result = stagefile::check_stage_file(path);
    if (!result.readable) {
        std::cerr << "vorne1.0: " << result.error << '\n';
        return 2;
    }
    add_reach_findings(result, path);
    if (result.clean()) {
        std::cout << path << ": " << result.stages << (result.stages == 1 ? " stage" : " stages")
                  << ", nothing wrong\n";
        return 0;
    }
    std::cout << stagefile::format_findings(result, path);
    return 1;
}

}  // namespace

std::optional<Options> read_command_line(int argc, char** argv) {
    ParsedOptions parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "vorne1.0: " << parsed.error << '\n';
        return std::nullopt;
    }
    return parsed.options;
}

std::optional<int> run_windowless_command(const Options& options,
                                          const std::function<std::string()>& program_folder) {
    if (options.help) {
        std::cout << usage_text("vorne1.0");
        return 0;
    }
    if (options.version) {
        std::cout << version_text();
        return 0;
    }
    if (!options.check.empty()) return run_check(options.check);
    if (!options.solve.empty()) {
        Options solve = options;
        solve.map = options.solve;  // --stage N names a stage of the file solved
        if (std::string missing = stage_past_the_last(solve); !missing.empty()) {
            std::cerr << "vorne1.0: " << missing << '\n';
            return 2;
        }
        return run_solve(options, program_folder());
    }
    if (!options.prove.empty())
        return run_prove(options.prove, program_folder(), std::cout, std::cerr);
    return std::nullopt;
}

}  // namespace vorne
