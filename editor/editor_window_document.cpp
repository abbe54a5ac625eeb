// The editor window's work on a whole stage file: opening it, moving between
// its stages, changing their order, saving it in place, and keeping unsaved
// work when the editor quits.
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>
#include <QSettings>
#include <QUndoStack>

#include "editor/editor_window.h"
#include "editor/stage_history.h"
#include "editor/stage_list.h"
#include "editor/stage_proofs.h"
#include "editor/stage_summary.h"
#include "stagefile/check.h"

namespace vorne::editor {

namespace {

// Where the editor keeps whether the stage list is shown.
constexpr const char* kListShownKey = "stage_list_shown";

QString file_name(const std::string& path) {
    return QFileInfo(QString::fromLocal8Bit(path)).fileName();
}

// An undo step of the open file's order: the file before and after it.
class DocumentStep : public QUndoCommand {
  public:
    DocumentStep(const QString& text, DocumentState before, DocumentState after,
                 std::function<void(const DocumentState&)> apply)
        : QUndoCommand(text),
          before_(std::move(before)),
          after_(std::move(after)),
          apply_(std::move(apply)) {}
    void undo() override { apply_(before_); }
    void redo() override {
        // Pushed after the change was made.
        if (pushing_) {
            pushing_ = false;
            return;
        }
        apply_(after_);
    }

  private:
    DocumentState before_;
    DocumentState after_;
    std::function<void(const DocumentState&)> apply_;
    bool pushing_ = true;
};

}  // namespace

// "1 stage", "10 stages".
QString stages_text(int32_t count) {
    return count == 1
               ? QCoreApplication::translate("vorne::editor::EditorWindow", "1 stage")
               : QCoreApplication::translate("vorne::editor::EditorWindow", "%1 stages").arg(count);
}

QString cut_rows_note(const QString& file, const std::vector<CutRow>& rows) {
    if (rows.empty()) return {};
    QStringList parts;
    for (const CutRow& row : rows) {
        parts << (row.cells == 1 ? QCoreApplication::translate("vorne::editor::EditorWindow",
                                                               "row %1 (1 cell)")
                                       .arg(row.row)
                                 : QCoreApplication::translate("vorne::editor::EditorWindow",
                                                               "row %1 (%2 cells)")
                                       .arg(row.row)
                                       .arg(row.cells));
    }
    constexpr qsizetype kListed = 4;
    QString listed = parts.mid(0, kListed).join(QStringLiteral(", "));
    if (parts.size() > kListed) listed += QStringLiteral(", …");
    return QCoreApplication::translate("vorne::editor::EditorWindow",
                                       "%1: rows longer than row 1 were cut to its width: %2.")
        .arg(file, listed);
}

bool EditorWindow::open_stage_file(const QString& path) {
    finish_stroke();
    StageDocument opened;
    std::string error;
    if (!opened.open(QFile::encodeName(path).toStdString(), error)) {
        report_error_(this, QString::fromLocal8Bit(error));
        return false;
    }
    document_ = std::move(opened);
    dialog_folder_ = QFileInfo(path).absolutePath();
    undo_stack_->clear();
    load_shown_stage(0);
    undo_stack_->setClean();
    place_side_parts();
    update_stage_list();
    update_caption();
    QStringList cut;
    for (int32_t i = 0; i < document_->stage_count(); ++i) {
        if (!document_->cut_rows(i).empty()) cut << QString::number(i + 1);
    }
    // The stage shown says which of its rows were cut; the file, in which
    // stages any were.
    if (!cut.isEmpty())
        set_status_note(tr("%1: rows longer than their stage's row 1 were cut in stage %2.")
                            .arg(QFileInfo(path).fileName(), cut.join(QStringLiteral(", "))));
    return true;
}

void EditorWindow::store_shown_stage() {
    if (!document_) return;
    const int32_t shown = document_->current();
    if (!same_when_framed(model_.state(), document_->stage(shown))) {
        StageModel framed = model_;
        framed.update_frame();
        document_->set_stage(shown, framed.state());
        update_stage_list();
    }
}

void EditorWindow::load_shown_stage(int32_t index) {
    document_->set_current(index);
    apply_state(document_->stage(document_->current()));
    redraw_tick();
    update_caption();
    if (stage_list_) stage_list_->set_current(document_->current());
    set_status_note(
        cut_rows_note(file_name(document_->path()), document_->cut_rows(document_->current())));
}

void EditorWindow::show_stage(int32_t index) {
    if (!document_ || index < 0 || index >= document_->stage_count()) return;
    finish_stroke();
    if (index == document_->current()) return;
    store_shown_stage();
    load_shown_stage(index);
}

void EditorWindow::document_step(const QString& text,
                                 const std::function<bool(StageDocument&)>& change) {
    if (!document_) return;
    finish_stroke();
    store_shown_stage();
    DocumentState before = document_->snapshot();
    if (!change(*document_)) return;
    DocumentState after = document_->snapshot();
    load_shown_stage(document_->current());
    update_stage_list();
    undo_stack_->push(
        new DocumentStep(text, std::move(before), std::move(after),
                         [this](const DocumentState& state) { apply_document_state(state); }));
}

void EditorWindow::apply_document_state(const DocumentState& state) {
    document_->restore(state);
    load_shown_stage(document_->current());
    update_stage_list();
}

void EditorWindow::insert_stage() {
    document_step(tr("Insert stage"), [](StageDocument& document) {
        if (document.stage_count() >= kMaxStages) return false;
        document.insert_stage();
        return true;
    });
}

void EditorWindow::duplicate_stage() {
    document_step(tr("Duplicate stage"), [](StageDocument& document) {
        if (document.stage_count() >= kMaxStages) return false;
        document.duplicate_stage();
        return true;
    });
}

void EditorWindow::delete_stage() {
    document_step(tr("Delete stage"),
                  [](StageDocument& document) { return document.delete_stage(); });
}

void EditorWindow::move_stage_up() {
    document_step(tr("Move stage up"), [](StageDocument& document) { return document.move_up(); });
}

void EditorWindow::move_stage_down() {
    document_step(tr("Move stage down"),
                  [](StageDocument& document) { return document.move_down(); });
}

void EditorWindow::save_in_place() {
    if (!document_) {
        tantaisave();
        return;
    }
    finish_stroke();
    redraw_tick();
    store_shown_stage();
    std::string error;
    if (!document_->save(error)) {
        report_error_(this, QString::fromLocal8Bit(error));
        return;
    }
    undo_stack_->setClean();
    update_stage_list();
    const QString path = QString::fromLocal8Bit(document_->path());
    set_status_note(tr("Saved %1 (%2).")
                        .arg(QFileInfo(path).fileName(), stages_text(document_->stage_count())));
    check_saved_file(path);
}

void EditorWindow::save_as() {
    if (!document_) {
        tantaisave();
        return;
    }
    finish_stroke();
    const QString path = choose_file_(this, FileDialogKind::save_stage_file_as);
    if (path.isEmpty()) return;
    redraw_tick();
    store_shown_stage();
    std::string error;
    if (!document_->save_as(QFile::encodeName(path).toStdString(), error)) {
        report_error_(this, QString::fromLocal8Bit(error));
        return;
    }
    undo_stack_->setClean();
    update_caption();
    update_stage_list();
    set_status_note(tr("Saved %1 (%2).")
                        .arg(QFileInfo(path).fileName(), stages_text(document_->stage_count())));
    check_saved_file(path);
}

bool EditorWindow::may_replace(const QString& path) {
    // Only a file that holds stages the save would take away is asked about.
    const stagefile::CheckResult held =
        stagefile::check_stage_file(QFile::encodeName(path).toStdString());
    if (!held.readable || held.stages <= 1) return true;
    return ask_(this, tr("%1 holds %2. Saving this stage alone replaces all of them with this "
                         "one stage.")
                          .arg(QDir::toNativeSeparators(path), stages_text(held.stages)));
}

bool EditorWindow::ask_to_drop_unsaved_work() {
    if (undo_stack_->isClean()) return true;
    return ask_(this, tr("The stage being edited has unsaved changes. Open another file and "
                         "drop them?"));
}

void EditorWindow::update_caption() {
    QString caption = QStringLiteral("VORNE専用マップエディタ ver1.0");
    if (document_) {
        caption += QStringLiteral(" - %1 %2/%3")
                       .arg(file_name(document_->path()))
                       .arg(document_->current() + 1)
                       .arg(document_->stage_count());
    }
    setWindowTitle(caption + QStringLiteral("[*]"));
    for (QAction* command : file_commands_)
        command->setEnabled(document_.has_value());
    if (list_action_) list_action_->setChecked(list_wanted_);
}

void EditorWindow::refresh_proofs() {
    proofs_.clear();
    if (!document_) return;
    // The file as a save would write it now, the stage shown framed.
    StageDocument now = *document_;
    StageModel framed = model_;
    framed.update_frame();
    now.set_stage(now.current(), framed.state());
    proofs_ = proof_states(document_->path(), now.bytes());
}

ProofState EditorWindow::proof_of(int32_t index) const {
    return document_ && index >= 0 && static_cast<size_t>(index) < proofs_.size()
               ? proofs_[static_cast<size_t>(index)]
               : ProofState::none;
}

QString EditorWindow::stage_marker(bool changed, ProofState proof) const {
    QStringList marks;
    if (changed) marks << QStringLiteral("*");
    if (proof == ProofState::proven) marks << tr("proven");
    if (proof == ProofState::stale) marks << tr("proof stale");
    return marks.join(QLatin1Char(' '));
}

void EditorWindow::update_stage_list() {
    if (!stage_list_ || !document_) return;
    refresh_proofs();
    std::vector<StageThumb> thumbs;
    thumbs.reserve(static_cast<size_t>(document_->stage_count()));
    for (int32_t i = 0; i < document_->stage_count(); ++i)
        thumbs.push_back(
            {document_->stage(i), stage_marker(document_->stage_changed(i), proof_of(i))});
    stage_list_->set_stages(thumbs, document_->current());
}

void EditorWindow::set_status_note(const QString& note) {
    status_note_ = note;
    update_status();
}

QString EditorWindow::status_text() const {
    const StageSummary summary = summarize_stage(model_);
    // "start ✓", "start ✗", or "2 starts".
    const auto presence = [](int32_t count, const QString& one, const QString& several) {
        if (count == 1) return one + QStringLiteral(" \u2713");
        if (count == 0) return one + QStringLiteral(" \u2717");
        return several.arg(count);
    };
    QString text = presence(summary.player_starts, tr("start"), tr("%1 starts")) +
                   QStringLiteral("  ") + presence(summary.doors, tr("door"), tr("%1 doors")) +
                   QStringLiteral("  ") + tr("coins %1").arg(summary.coins) +
                   QStringLiteral("  \u2014  ");
    if (summary.ready()) {
        text += tr("ready to play");
    } else {
        if (summary.refused) text += tr("the game refuses it: ");
        text += QString::fromStdString(summary.problem);
    }
    if (document_) {
        const ProofState proof = proof_of(document_->current());
        text = (proof == ProofState::proven  ? tr("proof \u2713")
                : proof == ProofState::stale ? tr("proof stale")
                                             : tr("no proof")) +
               QStringLiteral("  ") + text;
    }
    return status_note_.isEmpty() ? text : status_note_ + QStringLiteral("  ") + text;
}

void EditorWindow::update_status() {
    if (!status_line_) return;
    const QString text = status_text();
    if (status_line_->text() != text) status_line_->setText(text);
}

void EditorWindow::set_stage_list_shown(bool shown) {
    list_wanted_ = shown;
    QSettings().setValue(QLatin1String(kListShownKey), shown);
    place_side_parts();
    update_caption();
}

void EditorWindow::place_side_parts() {
    const bool list = document_ && list_wanted_;
    const int width = kCanvasRegionWidth + (list ? kStageListWidth : 0);
    if (stage_list_) {
        stage_list_->setVisible(list);
        stage_list_->setGeometry(kCanvasRegionWidth, 0, kStageListWidth, kLayoutHeight);
    }
    status_line_->setGeometry(8, kLayoutHeight, width - 16, kStatusHeight);
    setFixedSize(width, kLayoutHeight + kStatusHeight);
}

bool EditorWindow::keep_unsaved_work() {
    if (undo_stack_->isClean()) return true;
    if (recovery_file_.isEmpty()) return false;
    Recovery recovery;
    if (document_) {
        store_shown_stage();
        recovery = document_recovery(*document_);
    } else {
        StageModel framed = model_;
        framed.update_frame();
        recovery = stage_recovery(framed.state());
    }
    std::string error;
    if (!write_recovery(QFile::encodeName(recovery_file_).toStdString(), recovery, error)) {
        report_error_(
            this,
            tr("The unsaved changes could not be kept: %1").arg(QString::fromLocal8Bit(error)));
        return false;
    }
    return true;
}

void EditorWindow::offer_recovery() {
    if (recovery_file_.isEmpty()) return;
    const std::string file = QFile::encodeName(recovery_file_).toStdString();
    if (!recovery_exists(file)) return;
    Recovery recovery;
    std::string error;
    std::string removal_error;
    if (!read_recovery(file, recovery, error)) {
        report_error_(this, tr("Unsaved work kept by an earlier session cannot be read, and is "
                               "left where it is: %1")
                                .arg(QString::fromLocal8Bit(error)));
        return;
    }
    const QString what =
        recovery.whole_document
            ? tr("the stage file %1 (%2)")
                  .arg(QDir::toNativeSeparators(QString::fromLocal8Bit(recovery.path)),
                       stages_text(static_cast<int32_t>(recovery.document.stages.size())))
            : tr("a stage that was not saved to any file");
    if (!ask_(this, tr("The editor was closed with unsaved changes to %1. They were kept. Bring "
                       "them back? (Cancel drops them.)")
                        .arg(what))) {
        remove_recovery(file, removal_error);
        return;
    }
    finish_stroke();
    undo_stack_->clear();
    if (recovery.whole_document) {
        document_.emplace();
        document_->recover(recovery.path, std::move(recovery.document));
        load_shown_stage(document_->current());
        place_side_parts();
        update_stage_list();
    } else {
        document_.reset();
        apply_state(recovery.stage);
        place_side_parts();
    }
    update_caption();
    // Unsaved until saved; the recovery file goes, as the work is here now.
    undo_stack_->resetClean();
    remove_recovery(file, removal_error);
    set_status_note(tr("Unsaved changes brought back."));
}

}  // namespace vorne::editor
