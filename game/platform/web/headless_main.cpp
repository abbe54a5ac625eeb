// vorne1.0 for node: the headless runner and the commands that need no
// window, built for WebAssembly. It reads and writes the machine's files
// directly, so it takes the same options and files as the desktop program.
#include <emscripten.h>

#include <iostream>
#include <string>
#include <vector>

#include "game/platform/web/image_file.h"
#include "game/platform/web/web_text.h"
#include "game/shell/commands.h"
#include "game/shell/headless.h"
#include "game/shell/options.h"

using namespace vorne;

namespace {

// The folder of the script node runs: map.dat and sheets/ lie beside it.
// Writes it to out (at most size bytes with the end mark); returns its length.
EM_JS(int, script_folder, (char* out, int size), {
    const path = require("path");
    const folder = path.dirname(path.resolve(process.argv[1]));
    stringToUTF8(folder, out, size);
    return lengthBytesUTF8(folder);
});

std::string program_folder() {
    std::string folder(4096, '\0');
    const int length = script_folder(folder.data(), static_cast<int>(folder.size()));
    folder.resize(length < static_cast<int>(folder.size()) ? static_cast<size_t>(length) : 0);
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> read = read_command_line(argc, argv);
    if (!read) return 2;
    const Options& options = *read;
    if (std::optional<int> status = run_windowless_command(options, program_folder)) return *status;
    if (!options.headless) {
        std::cerr << "vorne1.0: this build plays only --headless (the game itself runs in the "
                     "browser)\n";
        return 2;
    }
    if (std::string missing = stage_past_the_last(options); !missing.empty()) {
        std::cerr << "vorne1.0: " << missing << '\n';
        return 2;
    }
    // Text and pictures as the desktop runner draws them.
    const std::string folder = program_folder();
    std::unique_ptr<TextPort> text = make_web_text(folder + "/text");
    return run_headless(options, folder, HeadlessServices{text.get(), load_image_file});
}
