// Trying the stage being edited in the game: the stage (or the whole stage
// file being edited) goes to a file of its own, and the game beside the editor
// is started on it, straight into the stage. The editor keeps the game it
// started: a new try ends the one before, and the try's file goes once its
// game has ended.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string_view>

namespace vorne::editor {

// The game's program file, beside the editor's own.
QString game_program_path();

// Writes contents (one or more stage blocks) to a new file in folder and
// gives its path.
bool write_play_file(std::string_view contents, const QString& folder, QString& path,
                     QString& error);

// True when a copy of the game holds its single-copy lock, that is, runs.
bool game_is_running_anywhere();

// A game process the editor started. The window holds one for its whole life
// and starts every try through it; tests put in one that starts nothing.
class GameProcess {
  public:
    virtual ~GameProcess() = default;
    // Starts program in its own folder; false with the reason in error.
    virtual bool start(const QString& program, const QStringList& arguments, QString& error) = 0;
    virtual bool running() const = 0;
    // Asks the game to end as closing its window would, waits a moment for
    // it and then ends it for good; returns once it has ended.
    virtual void stop() = 0;
    // Called when a game started here has ended, whatever ended it.
    std::function<void()> on_finished;
};

// The real one, on QProcess. The game's output goes where the editor's goes.
class QtGameProcess final : public QObject, public GameProcess {
  public:
    QtGameProcess();
    ~QtGameProcess() override;
    bool start(const QString& program, const QStringList& arguments, QString& error) override;
    bool running() const override;
    void stop() override;

  private:
    QProcess process_;
};

}  // namespace vorne::editor
