#include "editor/play_stage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <string>

#include "game/platform/single_instance.h"

namespace vorne::editor {

namespace {

// How long a game asked to end may take before it is ended for good.
constexpr int kStopWaitMs = 3000;

}  // namespace

QString game_program_path() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vorne1.0");
}

bool write_play_file(std::string_view contents, const QString& folder, QString& path,
                     QString& error) {
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("draskel1.0-play-XXXXXX.dat")));
    file.setAutoRemove(false);
    if (!file.open()) {
        error = QCoreApplication::translate("vorne::editor::EditorWindow",
                                            "Cannot write the stage to try in %1: %2")
                    .arg(QDir::toNativeSeparators(folder), file.errorString());
        return false;
    }
    const qint64 size = static_cast<qint64>(contents.size());
    if (file.write(contents.data(), size) != size || !file.flush()) {
        error = QCoreApplication::translate("vorne::editor::EditorWindow",
                                            "Cannot write the stage to try to %1: %2")
                    .arg(file.fileName(), file.errorString());
        file.remove();
        return false;
    }
    path = file.fileName();
    return true;
}

bool game_is_running_anywhere() {
    // Taking the lock for a moment tells whether another process holds it;
    // it is let go at once.
    const SingleInstance probe(single_instance_lock_path());
    return !probe.acquired();
}

QtGameProcess::QtGameProcess() {
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    connect(&process_, &QProcess::finished, this, [this] {
        if (on_finished) on_finished();
    });
}

QtGameProcess::~QtGameProcess() {
    // Ending the editor ends its try; QProcess would kill it without asking.
    on_finished = nullptr;
    if (QtGameProcess::running()) QtGameProcess::stop();
}

bool QtGameProcess::start(const QString& program, const QStringList& arguments, QString& error) {
    const QFileInfo info(program);
    if (!info.exists()) {
        error =
            QCoreApplication::translate("vorne::editor::EditorWindow", "%1: the game is not there")
                .arg(program);
        return false;
    }
    if (!info.isFile() || !info.isExecutable()) {
        error = QCoreApplication::translate("vorne::editor::EditorWindow",
                                            "%1: is not a program that can be started")
                    .arg(program);
        return false;
    }
    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.setWorkingDirectory(info.absolutePath());
    process_.start();
    if (!process_.waitForStarted()) {
        error = QStringLiteral("%1: %2").arg(program, process_.errorString());
        return false;
    }
    return true;
}

bool QtGameProcess::running() const {
    return process_.state() != QProcess::NotRunning;
}

void QtGameProcess::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();  // the game takes it as its window being closed
    if (!process_.waitForFinished(kStopWaitMs)) {
        process_.kill();
        process_.waitForFinished(kStopWaitMs);
    }
}

}  // namespace vorne::editor
