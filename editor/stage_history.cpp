#include "editor/stage_history.h"

#include <utility>

namespace vorne::editor {

namespace {

// The one id shared by every mergeable step; the merge key tells them apart.
constexpr int kMergeableStep = 1;

}  // namespace

StageStep::StageStep(const QString& text, StageState before, StageState after,
                     ApplyStageState apply, int64_t merge_key)
    : before_(std::move(before)),
      after_(std::move(after)),
      apply_(std::move(apply)),
      merge_key_(merge_key) {
    setText(text);
}

int StageStep::id() const {
    return merge_key_ < 0 ? -1 : kMergeableStep;
}

bool StageStep::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const StageStep*>(other);
    if (next == nullptr || next->merge_key_ != merge_key_) return false;
    after_ = next->after_;
    // A drag that ends where it started leaves nothing to undo.
    setObsolete(after_ == before_);
    return true;
}

void StageStep::undo() {
    apply_(before_);
}

void StageStep::redo() {
    if (pushing_) {
        pushing_ = false;
        return;
    }
    apply_(after_);
}

}  // namespace vorne::editor
