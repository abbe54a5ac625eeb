// The editor window's tries of a stage in the game (F5), the proofs a try
// that clears its stage leaves, and the game's solver looking for a way.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryFile>

#include <algorithm>

#include "editor/editor_window.h"
#include "editor/file_saving.h"
#include "editor/stage_proofs.h"

namespace vorne::editor {

namespace {

// How long the solver may look for a way, in seconds, and how long a replay
// of one proof may take the game.
constexpr int kSolverBudgetSeconds = 60;
constexpr int kProveWaitMs = 30000;

// A new empty file in folder for the game to write a recording to.
QString new_recording_file(const QString& folder) {
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("draskel1.0-try-XXXXXX.txt")));
    file.setAutoRemove(false);
    if (!file.open()) return {};
    return file.fileName();
}

}  // namespace

void EditorWindow::set_game_process(std::unique_ptr<GameProcess> game) {
    if (game_) game_->on_finished = nullptr;
    game_ = std::move(game);
    game_->on_finished = [this] { finish_try(); };
}

void EditorWindow::remove_try_file() {
    if (!try_file_.isEmpty()) QFile::remove(try_file_);
    try_file_.clear();
    if (!try_recording_.isEmpty()) QFile::remove(try_recording_);
    try_recording_.clear();
}

void EditorWindow::finish_try() {
    if (document_ && !try_recording_.isEmpty() && QFileInfo(try_recording_).size() > 0)
        keep_proof_if_cleared(try_file_, try_stage_, try_recording_);
    remove_try_file();
}

bool EditorWindow::write_try_file(QString& file, int32_t& stage) {
    // Framed on a copy: trying the stage changes nothing in the editor. With
    // a stage file open, the whole file is tried, from the stage shown on.
    std::string contents;
    stage = 1;
    if (document_) {
        store_shown_stage();
        contents = document_->bytes();
        stage = document_->current() + 1;
    } else {
        StageModel framed = model_;
        framed.update_frame();
        contents = framed.stage_block();
    }
    QString error;
    if (!write_play_file(contents, play_folder_, file, error)) {
        report_error_(this, error);
        return false;
    }
    return true;
}

void EditorWindow::play() {
    finish_stroke();
    // A try of this editor's own gives way to the new one; a game it did not
    // start is left alone, and the game runs only one copy at a time.
    if (game_->running()) game_->stop();
    remove_try_file();
    if (game_is_running_anywhere()) {
        report_error_(this, tr("The game is already running, started from somewhere else than "
                               "this editor, and only one copy of it can run. Close it to try "
                               "the stage."));
        return;
    }
    QString file;
    int32_t stage = 1;
    if (!write_try_file(file, stage)) return;
    QStringList arguments{QStringLiteral("--map"), file, QStringLiteral("--stage"),
                          QString::number(stage)};
    // With a stage file open, the try is recorded: if it clears the stage,
    // the recording becomes the stage's proof.
    QString recording;
    if (document_) {
        recording = new_recording_file(play_folder_);
        if (!recording.isEmpty()) arguments << QStringLiteral("--record") << recording;
    }
    QString error;
    if (!game_->start(game_program_, arguments, error)) {
        QFile::remove(file);
        if (!recording.isEmpty()) QFile::remove(recording);
        report_error_(this, tr("The game could not be started to try the stage: %1").arg(error));
        return;
    }
    try_file_ = file;
    try_recording_ = recording;
    try_stage_ = stage;
}

bool EditorWindow::keep_proof_if_cleared(const QString& played_file, int32_t stage,
                                         const QString& recording) {
    // The game tells whether the recording clears the stage: it is put where
    // the game looks for the played file's proofs and replayed there.
    const QString proofs = played_file + QStringLiteral(".proofs");
    QDir().mkpath(proofs);
    const QString staged =
        QString::fromLocal8Bit(proof_path(QFile::encodeName(played_file).toStdString(), stage));
    QFile::remove(staged);
    bool cleared = false;
    if (QFile::copy(recording, staged)) {
        QProcess prove;
        prove.start(game_program_, {QStringLiteral("--prove"), played_file});
        if (prove.waitForFinished(kProveWaitMs)) {
            const QString said = QString::fromLocal8Bit(prove.readAllStandardOutput());
            cleared = said.contains(QStringLiteral(": stage %1: proven").arg(stage));
        } else {
            prove.kill();
            prove.waitForFinished();
        }
    }
    QDir(proofs).removeRecursively();
    if (!cleared) {
        set_status_note(tr("The try did not clear stage %1; no proof was kept.").arg(stage));
        return false;
    }

    QFile source(recording);
    const std::string target = proof_path(document_->path(), stage);
    std::string error;
    if (!source.open(QIODevice::ReadOnly) ||
        !QDir().mkpath(QString::fromLocal8Bit(document_->path()) + QStringLiteral(".proofs")) ||
        !replace_file(target, source.readAll().toStdString(), error)) {
        report_error_(
            this, tr("Stage %1 was cleared, but its proof could not be kept: %2")
                      .arg(stage)
                      .arg(error.empty() ? source.errorString() : QString::fromLocal8Bit(error)));
        return false;
    }
    update_stage_list();  // reads the proofs again
    set_status_note(tr("Stage %1 cleared: its proof is kept in %2.")
                        .arg(stage)
                        .arg(QDir::toNativeSeparators(QString::fromLocal8Bit(target))));
    return true;
}

void EditorWindow::find_a_way() {
    finish_stroke();
    QString file;
    int32_t stage = 1;
    if (!write_try_file(file, stage)) return;
    const QString out = new_recording_file(play_folder_);
    QProcess solver;
    solver.start(game_program_,
                 {QStringLiteral("--solve"), file, QStringLiteral("--stage"),
                  QString::number(stage), QStringLiteral("--out"), out, QStringLiteral("--budget"),
                  QString::number(kSolverBudgetSeconds)});
    if (!solver.waitForStarted()) {
        report_error_(
            this,
            tr("The game could not be started to look for a way: %1").arg(solver.errorString()));
        QFile::remove(file);
        QFile::remove(out);
        return;
    }
    // The search runs in the game; here a bar shows the time it may take,
    // and Cancel ends it.
    QProgressDialog progress(tr("Looking for a way to clear stage %1...").arg(stage), tr("Cancel"),
                             0, kSolverBudgetSeconds * 1000, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QElapsedTimer clock;
    clock.start();
    bool cancelled = false;
    while (!solver.waitForFinished(100)) {
        progress.setValue(
            static_cast<int>(std::min<qint64>(clock.elapsed(), progress.maximum() - 1)));
        QCoreApplication::processEvents();
        if (progress.wasCanceled()) {
            cancelled = true;
            solver.kill();
            solver.waitForFinished();
            break;
        }
    }
    progress.reset();
    const QString said = QString::fromLocal8Bit(solver.readAllStandardOutput()).trimmed();
    if (cancelled) {
        set_status_note(tr("The search for a way was cancelled."));
    } else if (solver.exitStatus() == QProcess::NormalExit && solver.exitCode() == 0) {
        if (document_) {
            keep_proof_if_cleared(file, stage, out);
            set_status_note(status_note_ + QStringLiteral(" ") + said);
        } else {
            set_status_note(said);
        }
    } else if (solver.exitStatus() == QProcess::NormalExit && solver.exitCode() == 1) {
        set_status_note(said);
    } else {
        report_error_(this,
                      tr("The search for a way failed: %1")
                          .arg(QString::fromLocal8Bit(solver.readAllStandardError()).trimmed()));
    }
    QFile::remove(file);
    QFile::remove(out);
}

}  // namespace vorne::editor
