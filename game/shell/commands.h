// The commands of vorne1.0 that open no window: --help, --version, --check,
// --solve and --prove. The desktop program and the browser build's runner
// share them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "game/shell/options.h"

namespace vorne {

// The options of the command line; nullopt, with the problem said on stderr,
// when they are wrong (exit status 2).
std::optional<Options> read_command_line(int argc, char** argv);

// Runs the command the options ask for and returns its exit status; nullopt
// when they ask for play (in a window, a replay, or --headless). The program
// folder is asked for only by the commands that need it.
std::optional<int> run_windowless_command(const Options& options,
                                          const std::function<std::string()>& program_folder);

}  // namespace vorne
