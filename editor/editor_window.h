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
#include <vector>

#include "editor/play_stage.h"
#include "editor/stage_document.h"
#include "editor/stage_list.h"
#include "editor/stage_model.h"
#include "editor/stage_proofs.h"

class QAction;
class QKeyEvent;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;
class QUndoStack;
class QCloseEvent;

namespace vorne::editor {

class StageListPanel;

// The region the canvas is centred in.
inline constexpr int kCanvasRegionWidth = 432;
inline constexpr int kCanvasRegionHeight = 400;
// The fixed layout's height; below it the status line, right of it the
// stage list of an open stage file.
inline constexpr int kLayoutHeight = 537;
inline constexpr int kStatusHeight = 20;

// A note for the status line naming the rows a load cut; empty for none.
QString cut_rows_note(const QString& file, const std::vector<CutRow>& rows);

enum class FileDialogKind { open, save_alone, save_appended, open_stage_file, save_stage_file_as };

// Asks for a file name; the empty text means the dialog was cancelled.
using ChooseFile = std::function<QString(QWidget* parent, FileDialogKind kind)>;
// Tells the designer that a command failed.
using ReportError = std::function<void(QWidget* parent, const QString& message)>;
// Tells the designer what the check of a just saved stage file found.
using ShowFindings = std::function<void(QWidget* parent, const QString& message)>;
// Asks the designer to go on with what the message describes; true to go on.
using AskToGoOn = std::function<bool(QWidget* parent, const QString& message)>;

// The desktop's file dialogs, filtered to stage files, opening in folder.
QString choose_file_with_dialog(QWidget* parent, FileDialogKind kind, const QString& folder);
// A warning box with the message.
void report_error_in_box(QWidget* parent, const QString& message);
// A warning box with the message; a long list of findings goes to its details.
void show_findings_in_box(QWidget* parent, const QString& message);
// A question box with the message and OK / Cancel; Cancel is the default.
bool ask_in_box(QWidget* parent, const QString& message);

class EditorWindow : public QWidget {
    Q_OBJECT

  public:
    explicit EditorWindow(QImage strip, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Replace the dialogs, for tests.
    void set_file_chooser(ChooseFile choose) { choose_file_ = std::move(choose); }
    void set_error_reporter(ReportError report) { report_error_ = std::move(report); }
    void set_findings_reporter(ShowFindings show) { show_findings_ = std::move(show); }
    void set_asker(AskToGoOn ask) { ask_ = std::move(ask); }
    // Where unsaved work is kept when the editor quits.
    void set_recovery_file(const QString& file) { recovery_file_ = file; }
    const QString& recovery_file() const { return recovery_file_; }
    // Replace the game process that tries run in, and where the stage to try
    // is written.
    void set_game_process(std::unique_ptr<GameProcess> game);
    void set_play_folder(const QString& folder) { play_folder_ = folder; }
    // The game program tries and searches run (beside the editor's own).
    void set_game_program(const QString& program) { game_program_ = program; }
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

    // ---- A stage file as a whole ----
    // Opens every stage of path for editing (the command line, Ctrl+Shift+O);
    // the first stage is shown. On failure reports it and returns false,
    // leaving everything as it was.
    bool open_stage_file(const QString& path);
    // The open stage file; null when none is (the editor then edits one
    // stage, as its four buttons always do).
    const StageDocument* document() const { return document_ ? &*document_ : nullptr; }
    // Shows stage index of the open file (PageDown, PageUp, the list); the
    // stage shown before keeps its edits.
    void show_stage(int32_t index);
    // The file's order, each one undo step: a new empty stage after the one
    // shown, a copy of it, deleting it, moving it up or down.
    void insert_stage();
    void duplicate_stage();
    void delete_stage();
    void move_stage_up();
    void move_stage_down();
    // Ctrl+S: writes the whole open file back in place (unchanged stages keep
    // their bytes); with no file open, "単体でセーブ". Ctrl+Shift+S: the
    // same under another name.
    void save_in_place();
    void save_as();
    // Shows or hides the stage list (it shows only while a file is open).
    void set_stage_list_shown(bool shown);
    bool stage_list_shown() const { return list_wanted_; }

    // ---- Unsaved work ----
    // Writes the unsaved stage or stage file to the recovery file; true when
    // there was nothing to keep or it was kept.
    bool keep_unsaved_work();
    // Offers what the recovery file keeps, if there is one (at start-up).
    void offer_recovery();

    // The line below the layout: what the game will think of the stage.
    QString status_text() const;

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
    // Lets the game's solver look for an input that clears the stage shown
    // (a bar shows the time it may take; Cancel ends it). With a stage file
    // open, what it finds becomes the stage's proof.
    void find_a_way();

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
    // Closing the window quits as "終了" does, keeping unsaved work first.
    void closeEvent(QCloseEvent* event) override;

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
    void finish_try();
    bool write_try_file(QString& file, int32_t& stage);
    // Replays recording in the game; if it clears stage of played_file, it
    // is kept as that stage's proof beside the open stage file.
    bool keep_proof_if_cleared(const QString& played_file, int32_t stage, const QString& recording);
    void size_bar_moved(QScrollBar* bar, int value);
    void finish_stroke();
    void apply_state(const StageState& state);
    void push_step(const QString& text, StageState before, int64_t merge_key = -1);
    // The stage shown goes back into the open file, if it differs there.
    void store_shown_stage();
    // Shows stage index of the open file without storing the one shown.
    void load_shown_stage(int32_t index);
    // One undo step of the file's order: change runs on the open file.
    void document_step(const QString& text, const std::function<bool(StageDocument&)>& change);
    void apply_document_state(const DocumentState& state);
    void update_caption();
    void update_stage_list();
    // Reads again whether each stage of the open file has a proof that fits
    // it as it would be saved now (each redraw tick and list update does);
    // proof_of gives what was last read, and stage_marker the list's mark.
    void refresh_proofs();
    ProofState proof_of(int32_t index) const;
    QString stage_marker(bool changed, ProofState proof) const;
    void update_status();
    void set_status_note(const QString& note);
    void place_side_parts();
    // Asks before stages are lost: saving alone over a file of several.
    bool may_replace(const QString& path);
    bool ask_to_drop_unsaved_work();
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
    AskToGoOn ask_ = ask_in_box;
    std::unique_ptr<GameProcess> game_;
    QString try_file_;
    QString try_recording_;
    int32_t try_stage_ = 1;
    QString game_program_ = game_program_path();

    std::optional<StageDocument> document_;
    StageListPanel* stage_list_ = nullptr;
    bool list_wanted_ = true;
    QLabel* status_line_ = nullptr;
    // A note about the last command (rows cut by a load, a save), shown
    // before the stage's summary until the stage changes.
    QString status_note_;
    QString recovery_file_;
    // What refresh_proofs last read, one entry per stage of the open file.
    std::vector<ProofState> proofs_;
    // The commands that act on an open stage file, enabled only with one.
    std::vector<QAction*> file_commands_;
    QAction* list_action_ = nullptr;
};

}  // namespace vorne::editor
