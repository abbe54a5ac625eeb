// What is wrong with a stage file, for the message the game shows before it
// goes back to the title.
#pragma once

#include <cstdint>
#include <string>

namespace vorne {

struct StageError {
    std::string file;     // the stage file's path, as it was opened
    int32_t stage = 0;    // position of the stage block in the file (1 = first); 0: the whole file
    int32_t line = 0;     // line of the file where the problem lies (1 = first); 0: none
    std::string problem;  // what is wrong, in words for the stage designer

    // One line naming all of the above, e.g.
    // "maps/tower.dat: stage 2, line 14: the file ends after 3 of the stage's 10 rows".
    std::string message() const {
        std::string text = file;
        if (stage > 0) text += (text.empty() ? "stage " : ": stage ") + std::to_string(stage);
        if (line > 0) text += (stage > 0 ? ", line " : ": line ") + std::to_string(line);
        return text + ": " + problem;
    }
};

}  // namespace vorne
