#include "editor/play_stage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include <string>

namespace vorne::editor {

QString game_program_path() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vorne1.0");
}

bool write_play_file(const StageModel& model, const QString& folder, QString& path,
                     QString& error) {
    // Framed on a copy: trying the stage changes nothing in the editor.
    StageModel framed = model;
    framed.update_frame();
    const std::string block = framed.stage_block();

    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("draskel1.0-play-XXXXXX.dat")));
    file.setAutoRemove(false);
    if (!file.open()) {
        error = QStringLiteral("Cannot write the stage to try in %1: %2")
                    .arg(QDir::toNativeSeparators(folder), file.errorString());
        return false;
    }
    const qint64 size = static_cast<qint64>(block.size());
    if (file.write(block.data(), size) != size || !file.flush()) {
        error = QStringLiteral("Cannot write the stage to try to %1: %2")
                    .arg(file.fileName(), file.errorString());
        file.remove();
        return false;
    }
    path = file.fileName();
    return true;
}

bool start_detached(const QString& program, const QStringList& arguments, QString& error) {
    const QFileInfo info(program);
    if (!info.exists()) {
        error = QStringLiteral("%1: the game is not there").arg(program);
        return false;
    }
    if (!info.isFile() || !info.isExecutable()) {
        error = QStringLiteral("%1: is not a program that can be started").arg(program);
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(info.absolutePath());
    if (!process.startDetached()) {
        error = QStringLiteral("%1: %2").arg(program, process.errorString());
        return false;
    }
    return true;
}

}  // namespace vorne::editor
