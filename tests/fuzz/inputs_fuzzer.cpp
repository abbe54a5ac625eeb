// Fuzz target: the headless runner's recorded-input files. The input is the
// text of the file, read with parse_inputs.
//
// A text that is refused gets one line of at most max_message_bytes bytes
// (no line feed, no carriage return). A text that is taken gives steps of
// count 1 or more, sticks -1..1 and buttons 0..max_input_buttons, and the steps written
// back as "N*SX SY B" lines read back as the same steps.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/shell/inputs.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace vorne;

constexpr const char* target = "inputs_fuzzer";
constexpr size_t max_message_bytes = 400;

void check(bool ok, const std::string& what) {
    fuzz::check(ok, target, what);
}

std::string step_text(const InputStep& s) {
    return std::to_string(s.count) + "*" + std::to_string(s.stick_x) + " " +
           std::to_string(s.stick_y) + " " + std::to_string(s.buttons);
}

bool same(const InputStep& a, const InputStep& b) {
    return a.count == b.count && a.stick_x == b.stick_x && a.stick_y == b.stick_y &&
           a.buttons == b.buttons;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto steps = parse_inputs(text, "inputs.txt", error);
    if (!steps) {
        check(!error.empty(), "a text refused without a message");
        check(error.size() <= max_message_bytes,
              "a message of " + std::to_string(error.size()) +
                  " bytes: " + fuzz::readable(error, max_message_bytes));
        check(error.find_first_of("\r\n") == std::string::npos,
              "a message of more than one line: " + fuzz::readable(error, max_message_bytes));
        return 0;
    }

    std::string again;
    for (const InputStep& s : *steps) {
        check(s.count >= 1 && s.stick_x >= -1 && s.stick_x <= 1 && s.stick_y >= -1 &&
                  s.stick_y <= 1 && s.buttons >= 0 && s.buttons <= max_input_buttons,
              "a step out of range: " + step_text(s));
        again += step_text(s) + "\n";
    }
    std::string error_again;
    const auto reread = parse_inputs(again, "again.txt", error_again);
    check(reread.has_value(), "the steps written back are refused: " + error_again);
    check(reread->size() == steps->size(),
          std::to_string(steps->size()) + " steps read back as " + std::to_string(reread->size()));
    for (size_t i = 0; i < steps->size(); ++i) {
        check(same((*steps)[i], (*reread)[i]), "step " + std::to_string(i + 1) + " " +
                                                   step_text((*steps)[i]) + " reads back as " +
                                                   step_text((*reread)[i]));
    }
    return 0;
}
