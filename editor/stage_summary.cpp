#include "editor/stage_summary.h"

#include <string_view>

#include "stagefile/chars.h"
#include "stagefile/check.h"
#include "stagefile/letters.h"

namespace vorne::editor {

StageSummary summarize_stage(const StageModel& model) {
    StageModel framed = model;
    framed.update_frame();

    StageSummary summary;
    // The game splits each row into characters, not into the editor's cells.
    for (const std::string& row : framed.saved_rows()) {
        for (const std::string_view cell : stagefile::split_characters(row)) {
            switch (stagefile::letter_of(cell).object) {
                case stagefile::Object::player_start:
                    ++summary.player_starts;
                    break;
                case stagefile::Object::door:
                    ++summary.doors;
                    break;
                case stagefile::Object::coin:
                    ++summary.coins;
                    break;
                default:
                    break;
            }
        }
    }

    const stagefile::CheckResult result = stagefile::check_stage_bytes(framed.stage_block());
    if (!result.findings.empty()) {
        const stagefile::Finding& first = result.findings.front();
        summary.problem = first.problem;
        summary.refused = first.refusal;
        // Line 1 of the block is its count line; row r is line r + 1.
        if (first.line >= 2 && first.line - 1 <= framed.framed_height) {
            summary.problem_row = first.line - 1;
        }
    }
    return summary;
}

}  // namespace vorne::editor
