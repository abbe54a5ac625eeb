// The headless runner: the same game on in-memory ports and a virtual clock
// that advances 40 ms per tick, replaying recorded input and writing what
// happened (trace, dumps, screenshots). Its parts: headless_ports.h (the
// ports), trace.h, dump.h and output_file.h.
#pragma once

#include <string>
#include <vector>

#include "game/ports/ports.h"
#include "game/render/sheets.h"
#include "game/shell/options.h"

namespace vorne {

// What the runner borrows from the platform: text output and picture loading
// (neither needs a display). Without them, no text and no pictures are drawn.
struct HeadlessServices {
    TextPort* text = nullptr;
    ImageLoader load_image;
};

// Runs the headless game; returns the process exit status. Problems with the
// options' files are reported on stderr as one line.
int run_headless(const Options& options, const std::string& program_folder,
                 const HeadlessServices& services = {});

// Reports sheets that could not be loaded, in one line on stderr.
void report_missing_sheets(const std::vector<std::string>& problems);

}  // namespace vorne
