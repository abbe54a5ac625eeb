#include "game/shell/input_text.h"

#include "game/shell/recording.h"

namespace vorne {

std::vector<InputStep> merge_steps(const std::vector<InputStep>& steps) {
    std::vector<InputStep> merged;
    for (const InputStep& s : steps) {
        if (s.count <= 0) continue;
        if (!merged.empty()) {
            InputStep& last = merged.back();
            if (last.stick_x == s.stick_x && last.stick_y == s.stick_y &&
                last.buttons == s.buttons) {
                last.count += s.count;
                continue;
            }
        }
        merged.push_back(s);
    }
    return merged;
}

std::string format_inputs(const std::vector<std::string>& header,
                          const std::vector<InputStep>& steps) {
    std::string text;
    for (const std::string& line : header) {
        size_t start = 0;
        for (;;) {
            const size_t end = line.find('\n', start);
            text += "# ";
            text.append(line, start, end == std::string::npos ? std::string::npos : end - start);
            text += '\n';
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    for (const InputStep& s : merge_steps(steps))
        text += input_line(s) + '\n';
    return text;
}

}  // namespace vorne
