// Fuzz target: the editor's loading of a stage file. The input is the whole
// file; it is written to a private temporary file and loaded the way the
// editor's Open command loads it (editor::load_stage: read_stage_file, then
// the stage put into a model).
//
// A load that succeeds gives a stage of 0..20 x 0..20 cells whose every row
// holds exactly `width` cells, and the model takes that size and those cells.
// A load that fails leaves the model as it was and says why in a non-empty
// message of at most max_message_bytes bytes. ASan and UBSan watch the rest;
// libFuzzer's memory limits keep the reading bounded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/stage_files.h"
#include "editor/stage_model.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace vorne;
using namespace vorne::editor;

constexpr const char* target = "editor_reader_fuzzer";
constexpr size_t max_message_bytes = 400;

void check(bool ok, const std::string& what) {
    fuzz::check(ok, target, what);
}

void check_loaded(const LoadedStage& stage) {
    check(stage.width >= 0 && stage.width <= kMaxCells && stage.height >= 0 &&
              stage.height <= kMaxCells,
          "a loaded stage of " + std::to_string(stage.width) + " x " +
              std::to_string(stage.height) + " cells");
    check(stage.cells.size() == static_cast<size_t>(stage.height),
          std::to_string(stage.cells.size()) + " rows loaded for a height of " +
              std::to_string(stage.height));
    for (size_t y = 0; y < stage.cells.size(); ++y) {
        check(stage.cells[y].size() == static_cast<size_t>(stage.width),
              "row " + std::to_string(y + 1) + " holds " + std::to_string(stage.cells[y].size()) +
                  " cells, the width is " + std::to_string(stage.width));
    }
}

void check_message(const std::string& error) {
    check(!error.empty(), "a load failed without a message");
    check(error.size() <= max_message_bytes,
          "a message of " + std::to_string(error.size()) +
              " bytes: " + fuzz::readable(error, max_message_bytes));
}

// A model that differs from the default in every size and in its cells.
StageModel marked_model() {
    StageModel model;
    model.set_stage_width(13);
    model.set_stage_height(7);
    model.update_frame();
    model.cell(5, 5) = "g";
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::TempFile file(target, "stage.dat");
    static const StageModel marked = marked_model();
    file.write(std::string_view(reinterpret_cast<const char*>(data), size));

    LoadedStage stage;
    std::string error;
    const bool read = read_stage_file(file.path(), stage, error);
    if (read) {
        check_loaded(stage);
    } else {
        check_message(error);
    }

    StageModel model = marked;
    std::string load_error;
    const bool loaded = load_stage(model, file.path(), load_error);
    check(loaded == read, "read_stage_file and load_stage disagree on the same file");
    if (!loaded) {
        check(load_error == error, "read_stage_file and load_stage fail with different messages");
        check(model.state() == marked.state(), "a failed load changed the model");
        return 0;
    }
    check(model.stage_width == stage.width && model.stage_height == stage.height &&
              model.framed_width == stage.width && model.framed_height == stage.height,
          "the model's sizes are not those of the loaded stage");
    for (int32_t y = 1; y <= stage.height; ++y) {
        for (int32_t x = 1; x <= stage.width; ++x) {
            check(model.cell(x, y) ==
                      stage.cells[static_cast<size_t>(y - 1)][static_cast<size_t>(x - 1)],
                  "cell (" + std::to_string(x) + ", " + std::to_string(y) +
                      ") of the model is not the loaded one");
        }
    }
    return 0;
}
