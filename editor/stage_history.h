// Undo steps of the editor. Each step holds the whole stage as it was before
// and after it, so undoing and redoing need nothing of what happened between:
// the redraw tick rewrites the frame cells whenever it runs, and a restored
// stage is simply framed again by the next tick.
#pragma once

#include <QString>
#include <QUndoCommand>

#include <cstdint>
#include <functional>

#include "editor/stage_model.h"

namespace vorne::editor {

// Puts a stage state into the editor (the model, the size bars, a tick).
using ApplyStageState = std::function<void(const StageState&)>;

class StageStep : public QUndoCommand {
  public:
    // A step whose change has already been made: it is pushed afterwards, so
    // the push does not apply it again. Steps with the same merge key (one
    // drag of a size bar) merge into one; a negative key never merges.
    StageStep(const QString& text, StageState before, StageState after, ApplyStageState apply,
              int64_t merge_key = -1);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    void undo() override;
    void redo() override;

    const StageState& before() const { return before_; }
    const StageState& after() const { return after_; }

  private:
    StageState before_;
    StageState after_;
    ApplyStageState apply_;
    int64_t merge_key_;
    bool pushing_ = true;
};

}  // namespace vorne::editor
