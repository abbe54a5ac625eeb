// Trying the stage being edited in the game: the stage goes to a file of its
// own, which the game beside the editor is started on.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "editor/stage_model.h"

namespace vorne::editor {

// Starts program with arguments and lets it run on its own; false with the
// reason in error when it cannot start.
using StartProgram =
    std::function<bool(const QString& program, const QStringList& arguments, QString& error)>;

// The game's program file, beside the editor's own.
QString game_program_path();

// Writes the stage, framed as a save writes it, to a new file in folder and
// gives its path. The file is left there for the game, which opens it only
// when the title's Z is pressed.
bool write_play_file(const StageModel& model, const QString& folder, QString& path, QString& error);

// Starts program detached from the editor, in the program's folder. A missing
// or non-executable program is refused with a message that names it.
bool start_detached(const QString& program, const QStringList& arguments, QString& error);

}  // namespace vorne::editor
