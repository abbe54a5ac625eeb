// The editor's window: the stage canvas, the chip strip and its preview, the
// two size bars and the four command buttons, over one StageModel. Besides
// them, without anything visible of their own: undo and redo of every change
// to the stage, keyboard shortcuts, and trying the stage in the game.
#pragma once

#include <QImage>
#include <QKeySequence>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editor/play_stage.h"
#include "editor/stage_model.h"

class QAction;
class QKeyEvent;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;
class QUndoStack;

namespace vorne::editor {

// The region the canvas is centred in.
inline constexpr int kCanvasRegionWidth = 432;
inline constexpr int kCanvasRegionHeight = 400;

enum class FileDialogKind { open, save_alone, save_appended };

// Asks for a file name; the empty text means the dialog was cancelled.
using ChooseFile = std::function<QString(QWidget* parent, FileDialogKind kind)>;
// Tells the designer that a command failed.
using ReportError = std::function<void(QWidget* parent, const QString& message)>;
// Tells the designer what the check of a just saved stage file found.
using ShowFindings = std::function<void(QWidget* parent, const QString& message)>;

// The desktop's file dialogs, filtered to stage files, opening in folder.
QString choose_file_with_dialog(QWidget* parent, FileDialogKind kind, const QString& folder);
// A warning box with the message.
void report_error_in_box(QWidget* parent, const QString& message);
// A warning box with the message; a long list of findings goes to its details.
void show_findings_in_box(QWidget* parent, const QString& message);

class EditorWindow : public QWidget {
    Q_OBJECT

  public:
    explicit EditorWindow(QImage strip, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Replace the dialogs, for tests.
    void set_file_chooser(ChooseFile choose) { choose_file_ = std::move(choose); }
    void set_error_reporter(ReportError report) { report_error_ = std::move(report); }
    void set_findings_reporter(ShowFindings show) { show_findings_ = std::move(show); }
    // Replace the game process that tries run in, and where the stage to try
    // is written.
    void set_game_process(std::unique_ptr<GameProcess> game);
    void set_play_folder(const QString& folder) { play_folder_ = folder; }
    // The file the running try plays; empty when there is none.
    const QString& try_file() const { return try_file_; }

    StageModel& model() { return model_; }
    const StageModel& model() const { return model_; }

    // The redraw tick: read-outs, canvas layout, wall frame, canvas drawing,
    // in that order. Runs shortly after anything changed.
    void redraw_tick();

    // Loads the first stage of path into the editor; on failure reports it
    // and returns false, leaving everything as it was.
    bool load_file(const QString& path);

    // Pointer events of the canvas, in canvas pixels. A press acts on the
    // cell of the last move: the left button paints the picked chip and the
    // right one erases, cell by cell while dragged; with Shift they fill the
    // rectangle dragged over instead (on release), with Ctrl the area of
    // joined cells alike; the middle button or Alt with the left one picks
    // the chip of the cell.
    void canvas_mouse_move(QPointF position, Qt::MouseButtons buttons);
    void canvas_mouse_press(Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // buttons: those still held. Releasing the last one ends the stroke.
    void canvas_mouse_release(Qt::MouseButtons buttons);
    // Pointer events of the chip strip, in strip pixels.
    void strip_mouse_move(QPointF position);
    void strip_click();

    // The four commands.
    void rodo();
    void tantaisave();
    void tuikasave();
    void owari();

    // Writes the stage to a file of its own and starts the game straight
    // into it (F5), ending the try this editor started before, if it runs.
    void play();

    // Every change to the stage is a step here: a stroke of painting or
    // erasing (press to release), a rectangle or area fill, a change of a
    // size bar (one drag is one step), a load. Clean after a save or a load.
    QUndoStack* undo_stack() const { return undo_stack_; }

    int32_t hover_chip() const { return hover_chip_; }
    int32_t cursor_column() const { return cursor_column_; }
    int32_t cursor_row() const { return cursor_row_; }
    QPoint mainsen() const { return mainsen_; }
    QPoint chipboxsen() const { return chipboxsen_; }
    // The cells of the rectangle being dragged, in canvas pixels; null when
    // none is.
    QRect fill_outline() const;
    const QImage& strip() const { return strip_; }
    const QImage& canvas_image() const { return canvas_image_; }
    const QImage& preview() const { return preview_; }
    bool tick_pending() const;

  protected:
    // The letter keys a..n and z pick their chip as a strip click does.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // What the buttons held on the canvas do until the last is released.
    enum class CanvasGesture { paint, rectangle, done };

    void request_tick();
    void paint_cursor_cell(Qt::MouseButtons buttons);
    void pick_cursor_chip();
    void select_strip_chip(int32_t index);
    void fill_step(const QString& text, const std::function<int32_t()>& fill);
    void size_bar_changed();
    void draw_canvas();
    void save(FileDialogKind kind);
    void check_saved_file(const QString& path);
    void remove_try_file();
    void size_bar_moved(QScrollBar* bar, int value);
    void finish_stroke();
    void apply_state(const StageState& state);
    void push_step(const QString& text, StageState before, int64_t merge_key = -1);
    void undo();
    void redo();
    QAction* add_command(const QString& text, std::initializer_list<QKeySequence> keys,
                         std::function<void()> command);

    StageModel model_;
    QImage strip_;
    QImage canvas_image_;
    QImage preview_;

    int32_t hover_chip_ = 0;
    int32_t cursor_column_ = 0;
    int32_t cursor_row_ = 0;
    QPoint mainsen_{0, 0};
    QPoint chipboxsen_{0, 0};

    QWidget* main_ = nullptr;
    QWidget* chipbox_ = nullptr;
    QWidget* selectbox_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QScrollBar* hscroll1_ = nullptr;
    QScrollBar* hscroll2_ = nullptr;
    QTimer* timer1_ = nullptr;

    QUndoStack* undo_stack_ = nullptr;
    // The stage before the stroke being painted, while one is.
    std::optional<StageState> stroke_before_;
    bool stroke_changed_ = false;
    QString stroke_text_;
    CanvasGesture gesture_ = CanvasGesture::paint;
    // The press cell and the letter of the rectangle being dragged.
    QPoint rectangle_anchor_;
    std::string rectangle_letter_;
    // Counts drags of the size bars: changes within one drag merge.
    int64_t drag_count_ = 0;
    // Set while an undo step puts a state into the editor, so that the size
    // bars following it do not record steps of their own.
    bool applying_state_ = false;

    QString dialog_folder_;
    QString play_folder_;
    ChooseFile choose_file_;
    ReportError report_error_ = report_error_in_box;
    ShowFindings show_findings_ = show_findings_in_box;
    std::unique_ptr<GameProcess> game_;
    QString try_file_;
};

}  // namespace vorne::editor
