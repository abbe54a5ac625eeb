#include "editor/editor_window.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <cmath>

#include "editor/chip_strip.h"
#include "editor/stage_files.h"
#include "editor/stage_history.h"
#include "editor/stage_list.h"
#include "editor/stage_proofs.h"
#include "stagefile/check.h"

namespace vorne::editor {

namespace {

constexpr int kCell = kCellPixels;
const QColor kCursorColour(255, 0, 0);
// Steps kept for undo; each holds two copies of the stage of about 14 KB.
constexpr int kUndoLimit = 500;
// Findings shown in the box itself; the rest are in its details.
constexpr int kFindingsShown = 12;

// Bold IPA P Gothic, the editor's face, at the given point size.
QFont editor_font(qreal points) {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// The stage canvas `main`: shows the canvas image with the `mainsen` outline.
class MainCanvas : public QWidget {
  public:
    explicit MainCanvas(EditorWindow* window) : QWidget(window), window_(window) {
        setObjectName(QStringLiteral("main"));
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!window_->canvas_image().isNull()) painter.drawImage(0, 0, window_->canvas_image());
        painter.setPen(kCursorColour);
        painter.drawRect(QRect(window_->mainsen(), QSize(kCell - 1, kCell - 1)));
        // Black and white dashes stand out on every chip.
        const QRect outline = window_->fill_outline();
        if (!outline.isNull()) {
            painter.setPen(QPen(Qt::black, 0, Qt::DashLine));
            painter.setBackground(Qt::white);
            painter.setBackgroundMode(Qt::OpaqueMode);
            painter.drawRect(outline.adjusted(0, 0, -1, -1));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        window_->canvas_mouse_move(event->position(), event->buttons());
    }
    void mousePressEvent(QMouseEvent* event) override {
        window_->canvas_mouse_press(event->buttons(), event->modifiers());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        window_->canvas_mouse_release(event->buttons());
    }
    // The right button erases here: the window's menu must not open over it.
    void contextMenuEvent(QContextMenuEvent* event) override { event->accept(); }

  private:
    EditorWindow* window_;
};

// The chip strip `chipbox` with the `chipboxsen` outline over the hovered chip.
class ChipBox : public QWidget {
  public:
    explicit ChipBox(EditorWindow* window) : QWidget(window), window_(window) {
        setObjectName(QStringLiteral("chipbox"));
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor::fromRgb(kOutsideStrip));
        painter.drawImage(0, 0, window_->strip());
        painter.setPen(kCursorColour);
        painter.drawRect(QRect(window_->chipboxsen(), QSize(kCell - 1, kCell - 1)));
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        window_->strip_mouse_move(event->position());
    }
    // A click is a left press and release over the strip.
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            window_->strip_click();
        }
    }

  private:
    EditorWindow* window_;
};

// The preview `selectbox` of the picked chip.
class SelectBox : public QWidget {
  public:
    explicit SelectBox(EditorWindow* window) : QWidget(window), window_(window) {
        setObjectName(QStringLiteral("selectbox"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, window_->preview());
    }

  private:
    EditorWindow* window_;
};

QLabel* make_label(QWidget* parent, const char* name, const QString& text, QPoint at, qreal points,
                   int width = 0) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(editor_font(points));
    label->adjustSize();
    label->setGeometry(at.x(), at.y(), width > 0 ? width : label->width(), label->height());
    return label;
}

QScrollBar* make_size_bar(QWidget* parent, const char* name, QPoint at) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, kMaxCells);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setValue(10);
    bar->setGeometry(at.x(), at.y(), 105, 17);
    return bar;
}

QPushButton* make_button(QWidget* parent, const char* name, const QString& caption, QRect at) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(editor_font(11.25));
    button->setGeometry(at);
    return button;
}

}  // namespace

QString choose_file_with_dialog(QWidget* parent, FileDialogKind kind, const QString& folder) {
    const QString filter = QStringLiteral("データ (*.dat)");
    switch (kind) {
        case FileDialogKind::open:
            return QFileDialog::getOpenFileName(parent, QStringLiteral("ロード"), folder, filter);
        case FileDialogKind::save_alone:
            return QFileDialog::getSaveFileName(parent, QStringLiteral("単体でセーブ"), folder,
                                                filter);
        case FileDialogKind::save_appended:
            // Appending to an existing file is the point: no question about it.
            return QFileDialog::getSaveFileName(parent, QStringLiteral("追加書き込みセーブ"),
                                                folder, filter, nullptr,
                                                QFileDialog::DontConfirmOverwrite);
        case FileDialogKind::open_stage_file:
            return QFileDialog::getOpenFileName(
                parent,
                QCoreApplication::translate("vorne::editor::EditorWindow", "Open stage file"),
                folder, filter);
        case FileDialogKind::save_stage_file_as:
            return QFileDialog::getSaveFileName(
                parent, QCoreApplication::translate("vorne::editor::EditorWindow", "Save as"),
                folder, filter);
    }
    return {};
}

bool ask_in_box(QWidget* parent, const QString& message) {
    return QMessageBox::question(parent, parent ? parent->windowTitle() : QString(), message,
                                 QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

void report_error_in_box(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, parent ? parent->windowTitle() : QString(), message);
}

void show_findings_in_box(QWidget* parent, const QString& message) {
    QStringList lines = message.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    QMessageBox box(QMessageBox::Warning, parent ? parent->windowTitle() : QString(), QString(),
                    QMessageBox::Ok, parent);
    if (lines.size() > kFindingsShown) {
        const qsizetype more = lines.size() - kFindingsShown;
        box.setDetailedText(message);
        lines = lines.mid(0, kFindingsShown);
        lines << QCoreApplication::translate("vorne::editor::EditorWindow",
                                             "... and %1 more (see the details).")
                     .arg(more);
    }
    box.setText(lines.join(QLatin1Char('\n')));
    box.exec();
}

EditorWindow::EditorWindow(QImage strip, QWidget* parent)
    : QWidget(parent), strip_(std::move(strip)) {
    // The dialogs start in the program's folder, then where the last file was.
    choose_file_ = [this](QWidget* parent_widget, FileDialogKind kind) {
        const QString file = choose_file_with_dialog(parent_widget, kind, dialog_folder_);
        if (!file.isEmpty()) dialog_folder_ = QFileInfo(file).absolutePath();
        return file;
    };
    dialog_folder_ = QCoreApplication::applicationDirPath();
    play_folder_ = QDir::tempPath();
    set_game_process(std::make_unique<QtGameProcess>());
    // The caption gains a "*" only while the stage has unsaved changes.
    setWindowTitle(QStringLiteral("VORNE専用マップエディタ ver1.0[*]"));
    setFixedSize(kCanvasRegionWidth, kLayoutHeight);

    preview_ = QImage(kCell, kCell, QImage::Format_RGB32);
    preview_.fill(kOutsideStrip);

    main_ = new MainCanvas(this);
    chipbox_ = new ChipBox(this);
    chipbox_->setGeometry(128, 408, 302, 23);
    selectbox_ = new SelectBox(this);
    selectbox_->setGeometry(128, 440, kCell, kCell);

    make_label(this, "Label3", QStringLiteral("選択チップ"), {8, 408}, 11.25);
    make_label(this, "Label4", QStringLiteral("選択済チップ"), {8, 440}, 11.25);
    label1_ = make_label(this, "Label1", QStringLiteral("縦幅マス:10"), {216, 440}, 9.75, 112);
    label2_ = make_label(this, "Label2", QStringLiteral("横幅マス:10"), {336, 440}, 9.75, 96);

    hscroll2_ = make_size_bar(this, "HScroll2", {208, 456});
    hscroll1_ = make_size_bar(this, "HScroll1", {328, 456});
    connect(hscroll1_, &QScrollBar::valueChanged, this,
            [this](int value) { size_bar_moved(hscroll1_, value); });
    connect(hscroll2_, &QScrollBar::valueChanged, this,
            [this](int value) { size_bar_moved(hscroll2_, value); });
    for (QScrollBar* bar : {hscroll1_, hscroll2_}) {
        connect(bar, &QScrollBar::sliderPressed, this, [this] { ++drag_count_; });
    }

    auto* save_alone =
        make_button(this, "tantaisave", QStringLiteral("単体でセーブ"), {8, 504, 105, 25});
    auto* save_appended =
        make_button(this, "tuikasave", QStringLiteral("追加書き込みセーブ"), {120, 504, 153, 25});
    auto* load = make_button(this, "rodo", QStringLiteral("ロード"), {280, 504, 57, 25});
    auto* quit = make_button(this, "owari", QStringLiteral("終了"), {344, 504, 41, 25});
    connect(save_alone, &QPushButton::clicked, this, [this] { tantaisave(); });
    connect(save_appended, &QPushButton::clicked, this, [this] { tuikasave(); });
    connect(load, &QPushButton::clicked, this, [this] { rodo(); });
    connect(quit, &QPushButton::clicked, this, [this] { owari(); });

    // The redraw tick runs 1 ms after a change rather than every millisecond:
    // the same pictures, without keeping a core busy while nothing changes.
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(1);
    connect(timer1_, &QTimer::timeout, this, [this] { redraw_tick(); });

    main_->setGeometry(0, 0, 0, 0);

    undo_stack_ = new QUndoStack(this);
    undo_stack_->setUndoLimit(kUndoLimit);
    connect(undo_stack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });

    // The commands without buttons of their own are reached by their keys
    // and by the window's menu (the right button anywhere but the canvas,
    // where it erases). Ctrl+Q and closing the window quit at once, as
    // "終了" does.
    QAction* undo_action = add_command(tr("Undo"), {QKeySequence::Undo}, [this] { undo(); });
    QAction* redo_action = add_command(
        tr("Redo"),
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
        [this] { redo(); });
    undo_action->setEnabled(false);
    redo_action->setEnabled(false);
    connect(undo_stack_, &QUndoStack::canUndoChanged, undo_action, &QAction::setEnabled);
    connect(undo_stack_, &QUndoStack::canRedoChanged, redo_action, &QAction::setEnabled);
    // The menu names the step: "Undo: Paint".
    const auto name_step = [](QAction* action, const QString& command) {
        return [action, command](const QString& step) {
            action->setText(step.isEmpty() ? command : command + QStringLiteral(": ") + step);
        };
    };
    connect(undo_stack_, &QUndoStack::undoTextChanged, undo_action,
            name_step(undo_action, undo_action->text()));
    connect(undo_stack_, &QUndoStack::redoTextChanged, redo_action,
            name_step(redo_action, redo_action->text()));
    add_command(QString(), {}, {});
    add_command(QStringLiteral("ロード"), {QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { rodo(); });
    add_command(tr("Open stage file..."), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}, [this] {
        if (!ask_to_drop_unsaved_work()) return;
        const QString path = choose_file_(this, FileDialogKind::open_stage_file);
        if (!path.isEmpty()) open_stage_file(path);
    });
    add_command(tr("Save"), {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { save_in_place(); });
    add_command(tr("Save as..."), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                [this] { save_as(); });
    add_command(QString(), {}, {});
    file_commands_ = {
        add_command(tr("Previous stage"), {QKeySequence(Qt::Key_PageUp)},
                    [this] {
                        if (document_) show_stage(document_->current() - 1);
                    }),
        add_command(tr("Next stage"), {QKeySequence(Qt::Key_PageDown)},
                    [this] {
                        if (document_) show_stage(document_->current() + 1);
                    }),
        add_command(tr("Insert a new stage after this one"), {}, [this] { insert_stage(); }),
        add_command(tr("Duplicate this stage"), {}, [this] { duplicate_stage(); }),
        add_command(tr("Delete this stage"), {}, [this] { delete_stage(); }),
        add_command(tr("Move this stage up"), {QKeySequence(Qt::ALT | Qt::Key_PageUp)},
                    [this] { move_stage_up(); }),
        add_command(tr("Move this stage down"), {QKeySequence(Qt::ALT | Qt::Key_PageDown)},
                    [this] { move_stage_down(); }),
    };
    list_action_ = add_command(tr("Show the stage list"), {QKeySequence(Qt::Key_F9)},
                               [this] { set_stage_list_shown(!list_wanted_); });
    list_action_->setCheckable(true);
    file_commands_.push_back(list_action_);
    add_command(QString(), {}, {});
    add_command(tr("Try the stage in the game"), {QKeySequence(Qt::Key_F5)}, [this] { play(); });
    add_command(tr("Find a way to clear the stage..."), {QKeySequence(Qt::CTRL | Qt::Key_F5)},
                [this] { find_a_way(); });
    add_command(QString(), {}, {});
    add_command(QStringLiteral("終了"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] { owari(); });
    setContextMenuPolicy(Qt::ActionsContextMenu);

    // Beside the fixed layout: the list of the open file's stages, and below
    // it the line that tells what the game will think of the stage.
    stage_list_ = new StageListPanel(strip_, this);
    stage_list_->setObjectName(QStringLiteral("stage_list"));
    connect(stage_list_, &StageListPanel::stage_chosen, this,
            [this](int index) { show_stage(index); });
    connect(stage_list_, &StageListPanel::insert_requested, this, [this] { insert_stage(); });
    connect(stage_list_, &StageListPanel::duplicate_requested, this, [this] { duplicate_stage(); });
    connect(stage_list_, &StageListPanel::delete_requested, this, [this] { delete_stage(); });
    connect(stage_list_, &StageListPanel::move_up_requested, this, [this] { move_stage_up(); });
    connect(stage_list_, &StageListPanel::move_down_requested, this, [this] { move_stage_down(); });
    status_line_ = new QLabel(this);
    status_line_->setObjectName(QStringLiteral("status_line"));
    status_line_->setTextFormat(Qt::PlainText);
    status_line_->setFont(editor_font(9));
    list_wanted_ = QSettings().value(QLatin1String("stage_list_shown"), true).toBool();
    place_side_parts();
    update_caption();

    request_tick();
}

EditorWindow::~EditorWindow() {
    // The try ends with the editor, and its file goes with it.
    game_.reset();
    remove_try_file();
}

QAction* EditorWindow::add_command(const QString& text, std::initializer_list<QKeySequence> keys,
                                   std::function<void()> command) {
    auto* action = new QAction(text, this);
    if (!command) {
        action->setSeparator(true);
    } else {
        action->setShortcuts(QList<QKeySequence>(keys));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, std::move(command));
    }
    addAction(action);
    return action;
}

bool EditorWindow::tick_pending() const {
    return timer1_->isActive();
}

void EditorWindow::request_tick() {
    if (!timer1_->isActive()) timer1_->start();
}

void EditorWindow::redraw_tick() {
    timer1_->stop();
    label1_->setText(QStringLiteral("縦幅マス:") + QString::number(hscroll2_->value()));
    label2_->setText(QStringLiteral("横幅マス:") + QString::number(hscroll1_->value()));

    const int width = model_.stage_width * kCell;
    const int height = model_.stage_height * kCell;
    main_->setGeometry((kCanvasRegionWidth - width) / 2, (kCanvasRegionHeight - height) / 2, width,
                       height);

    model_.update_frame();
    draw_canvas();
    main_->update();
    refresh_proofs();
    if (document_ && stage_list_ && stage_list_->isVisible()) {
        const int32_t shown = document_->current();
        const bool changed = document_->stage_changed(shown) ||
                             !same_when_framed(model_.state(), document_->stage(shown));
        stage_list_->update_stage(shown, {model_.state(), stage_marker(changed, proof_of(shown))});
    }
    update_status();
}

void EditorWindow::draw_canvas() {
    const QSize size(model_.framed_width * kCell, model_.framed_height * kCell);
    if (canvas_image_.size() != size) {
        canvas_image_ = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
    }
    if (canvas_image_.isNull()) return;
    QPainter painter(&canvas_image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const std::vector<int32_t> offsets = model_.canvas_offsets();
    size_t i = 0;
    for (int32_t y = 0; y < model_.framed_height; ++y) {
        for (int32_t x = 0; x < model_.framed_width; ++x) {
            painter.drawImage(QPoint(x * kCell, y * kCell), strip_,
                              QRect(offsets[i++], 0, kCell, kCell));
        }
    }
}

void EditorWindow::canvas_mouse_move(QPointF position, Qt::MouseButtons buttons) {
    cursor_column_ = cursor_cell(position.x(), model_.stage_width);
    cursor_row_ = cursor_cell(position.y(), model_.stage_height);
    const QPoint moved(cursor_column_ * kCell, cursor_row_ * kCell);
    if (moved != mainsen_) {
        mainsen_ = moved;
        main_->update();
    }
    // A rectangle is filled on release (its outline follows the pointer
    // outline); after a pick or an area fill the buttons do nothing more.
    if (gesture_ == CanvasGesture::paint) paint_cursor_cell(buttons);
}

void EditorWindow::canvas_mouse_press(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    if (gesture_ != CanvasGesture::paint) return;
    const bool left = buttons == Qt::LeftButton;
    const bool right = buttons == Qt::RightButton;
    if (buttons == Qt::MiddleButton) {
        // The middle button paints nothing as it moves on: no gesture needed.
        pick_cursor_chip();
    } else if (left && modifiers.testFlag(Qt::AltModifier)) {
        pick_cursor_chip();
        gesture_ = CanvasGesture::done;
    } else if ((left || right) && modifiers.testFlag(Qt::ControlModifier)) {
        static const std::string empty_cell(kEmptyLetter);
        const std::string letter = left ? model_.selected_chip : empty_cell;
        fill_step(left ? tr("Fill area") : tr("Erase area"), [this, &letter] {
            return model_.flood_fill(cursor_column_ + 1, cursor_row_ + 1, letter);
        });
        gesture_ = CanvasGesture::done;
    } else if ((left || right) && modifiers.testFlag(Qt::ShiftModifier)) {
        finish_stroke();
        gesture_ = CanvasGesture::rectangle;
        rectangle_anchor_ = QPoint(cursor_column_, cursor_row_);
        rectangle_letter_ = left ? model_.selected_chip : std::string(kEmptyLetter);
        main_->update();
    } else {
        paint_cursor_cell(buttons);
    }
}

void EditorWindow::canvas_mouse_release(Qt::MouseButtons buttons) {
    if (buttons != Qt::NoButton) return;
    if (gesture_ == CanvasGesture::rectangle) {
        gesture_ = CanvasGesture::paint;
        main_->update();
        const bool erase = rectangle_letter_ == kEmptyLetter;
        fill_step(erase ? tr("Erase rectangle") : tr("Fill rectangle"), [this] {
            return model_.fill_rectangle(rectangle_anchor_.x() + 1, rectangle_anchor_.y() + 1,
                                         cursor_column_ + 1, cursor_row_ + 1, rectangle_letter_);
        });
        return;
    }
    gesture_ = CanvasGesture::paint;
    finish_stroke();
}

QRect EditorWindow::fill_outline() const {
    if (gesture_ != CanvasGesture::rectangle) return {};
    const int left = std::min(rectangle_anchor_.x(), cursor_column_);
    const int right = std::max(rectangle_anchor_.x(), cursor_column_);
    const int top = std::min(rectangle_anchor_.y(), cursor_row_);
    const int bottom = std::max(rectangle_anchor_.y(), cursor_row_);
    return QRect(QPoint(left * kCell, top * kCell),
                 QPoint(right * kCell + kCell - 1, bottom * kCell + kCell - 1));
}

void EditorWindow::fill_step(const QString& text, const std::function<int32_t()>& fill) {
    // A fill is a stroke of its own, so the frame step's rule applies alike.
    finish_stroke();
    stroke_before_ = model_.state();
    stroke_text_ = text;
    stroke_changed_ = fill() > 0;
    finish_stroke();
    request_tick();
}

void EditorWindow::pick_cursor_chip() {
    const int32_t index = chip_index(model_.cell(cursor_column_ + 1, cursor_row_ + 1));
    if (index < 0) return;
    model_.selected_chip = std::string(chip_letter(index));
    // The preview shows the chip's own picture, as the canvas draws it under
    // the pointer; the two-pixel shift belongs to a click on the strip.
    preview_ = copy_block(strip_, index * kCell, 0, kCell, kCell, kOutsideStrip);
    selectbox_->update();
}

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    // Ctrl, Alt and Meta belong to the commands (Ctrl+Z undoes). The key's
    // letter, not the typed text, so Shift or Caps Lock pick the same chip.
    const int key = event->key();
    int32_t index = -1;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const char letter = static_cast<char>('a' + (key - Qt::Key_A));
        index = chip_index(std::string_view(&letter, 1));
    }
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (index < 0 || (event->modifiers() & commands)) {
        QWidget::keyPressEvent(event);
        return;
    }
    select_strip_chip(index);
    event->accept();
}

void EditorWindow::paint_cursor_cell(Qt::MouseButtons buttons) {
    static const std::string empty_cell(kEmptyLetter);
    const std::string* letter = nullptr;
    if (buttons == Qt::LeftButton) {
        letter = &model_.selected_chip;
    } else if (buttons == Qt::RightButton) {
        letter = &empty_cell;
    } else {
        return;
    }
    // The stroke starts with its first painted cell and lasts until the
    // last button is released (or another command comes first).
    if (!stroke_before_) {
        stroke_before_ = model_.state();
        stroke_changed_ = false;
        stroke_text_ = buttons == Qt::LeftButton ? tr("Paint") : tr("Erase");
    }
    std::string& cell = model_.cell(cursor_column_ + 1, cursor_row_ + 1);
    if (cell != *letter) {
        cell = *letter;
        stroke_changed_ = true;
    }
    request_tick();
}

void EditorWindow::finish_stroke() {
    // Another command before the release drops the rectangle being dragged.
    if (gesture_ == CanvasGesture::rectangle) {
        gesture_ = CanvasGesture::done;
        main_->update();
    }
    if (!stroke_before_) return;
    StageState before = std::move(*stroke_before_);
    stroke_before_.reset();
    // Paint that the frame step wipes anyway (on the frame, or the same
    // letter again) leaves nothing to undo.
    StageModel framed_before;
    framed_before.restore(before);
    framed_before.update_frame();
    StageModel framed_after = model_;
    framed_after.update_frame();
    if (stroke_changed_ && framed_before.state() != framed_after.state()) {
        push_step(stroke_text_, std::move(before));
    }
}

void EditorWindow::push_step(const QString& text, StageState before, int64_t merge_key) {
    StageState after = model_.state();
    // A bar set to the value it had, or a stage loaded over itself, is no step.
    if (after == before && merge_key < 0) return;
    // With a stage file open, undoing a step shows the stage it was made on.
    const int32_t stage = document_ ? document_->current() : -1;
    undo_stack_->push(new StageStep(
        text, std::move(before), std::move(after),
        [this, stage](const StageState& state) {
            if (document_ && stage >= 0) show_stage(stage);
            apply_state(state);
        },
        merge_key));
    set_status_note({});
}

void EditorWindow::apply_state(const StageState& state) {
    model_.restore(state);
    // The bars follow as they do after a load: their handlers agree with the
    // model and put the pointer outline back to the corner if they moved.
    applying_state_ = true;
    hscroll1_->setValue(model_.stage_width);
    hscroll2_->setValue(model_.stage_height);
    applying_state_ = false;
    request_tick();
}

void EditorWindow::undo() {
    finish_stroke();
    undo_stack_->undo();
}

void EditorWindow::redo() {
    finish_stroke();
    undo_stack_->redo();
}

void EditorWindow::strip_mouse_move(QPointF position) {
    hover_chip_ = static_cast<int32_t>(std::nearbyint(position.x())) / kCell;
    const QPoint moved(hover_chip_ * kCell, 0);
    if (moved != chipboxsen_) {
        chipboxsen_ = moved;
        chipbox_->update();
    }
}

void EditorWindow::strip_click() {
    select_strip_chip(hover_chip_);
}

void EditorWindow::select_strip_chip(int32_t index) {
    const std::string_view letter = chip_letter(index);
    if (!letter.empty()) model_.selected_chip = std::string(letter);
    // The preview is taken two pixels right of the chip's own cell.
    preview_ = copy_block(strip_, index * kCell + 2, 0, kCell, kCell, kOutsideStrip);
    selectbox_->update();
}

void EditorWindow::size_bar_moved(QScrollBar* bar, int value) {
    const bool record = !applying_state_;
    std::optional<StageState> before;
    if (record) {
        finish_stroke();
        before = model_.state();
    }
    if (bar == hscroll1_) {
        model_.set_stage_width(value);
    } else {
        model_.set_stage_height(value);
    }
    size_bar_changed();
    if (record) {
        // While a bar's slider is dragged, its changes merge into one step.
        const int64_t merge_key =
            bar->isSliderDown() ? drag_count_ * 2 + (bar == hscroll1_ ? 1 : 0) : -1;
        push_step(bar == hscroll1_ ? tr("Change width") : tr("Change height"), std::move(*before),
                  merge_key);
    }
}

void EditorWindow::size_bar_changed() {
    if (mainsen_ != QPoint(0, 0)) {
        mainsen_ = QPoint(0, 0);
        main_->update();
    }
    request_tick();
}

bool EditorWindow::load_file(const QString& path) {
    finish_stroke();
    StageState before = model_.state();
    std::string error;
    LoadedStage loaded;
    if (!read_stage_file(QFile::encodeName(path).toStdString(), loaded, error)) {
        report_error_(this, QString::fromLocal8Bit(error));
        return false;
    }
    apply_loaded_stage(model_, loaded);
    // The bars follow the loaded size; their change handlers agree with the
    // model, and the load is one step of its own.
    applying_state_ = true;
    hscroll1_->setValue(model_.stage_width);
    hscroll2_->setValue(model_.stage_height);
    applying_state_ = false;
    request_tick();
    push_step(tr("Load"), std::move(before));
    // Loaded into an open stage file, the stage is a change to that file.
    if (!document_) undo_stack_->setClean();
    set_status_note(cut_rows_note(QFileInfo(path).fileName(), loaded.cut_rows));
    return true;
}

void EditorWindow::rodo() {
    const QString path = choose_file_(this, FileDialogKind::open);
    if (path.isEmpty()) return;
    load_file(path);
}

void EditorWindow::tantaisave() {
    save(FileDialogKind::save_alone);
}

void EditorWindow::tuikasave() {
    save(FileDialogKind::save_appended);
}

void EditorWindow::save(FileDialogKind kind) {
    finish_stroke();
    const QString path = choose_file_(this, kind);
    if (path.isEmpty()) return;
    if (kind == FileDialogKind::save_alone && !may_replace(path)) return;
    // Bring the frame up to the current size first, as the tick would.
    redraw_tick();
    const std::string file = QFile::encodeName(path).toStdString();
    std::string error;
    const bool saved = kind == FileDialogKind::save_alone
                           ? save_stage_alone(model_, file, error)
                           : save_stage_appended(model_, file, error);
    if (!saved) {
        report_error_(this, QString::fromLocal8Bit(error));
        return;
    }
    if (document_ && QFileInfo(path) == QFileInfo(QString::fromLocal8Bit(document_->path()))) {
        // The open file was written under it: what it holds now is opened
        // afresh when nothing else was unsaved; otherwise the open file's
        // stages stay, all of them to be written by the next save.
        if (undo_stack_->isClean()) {
            const int32_t shown = document_->current();
            open_stage_file(path);
            show_stage(shown);
        } else {
            document_->mark_all_changed();
        }
    } else if (!document_) {
        undo_stack_->setClean();
    }
    set_status_note(tr("Saved to %1.").arg(QFileInfo(path).fileName()));
    check_saved_file(path);
}

void EditorWindow::check_saved_file(const QString& path) {
    const stagefile::CheckResult result =
        stagefile::check_stage_file(QFile::encodeName(path).toStdString());
    if (result.clean()) return;
    const QString findings = QString::fromLocal8Bit(stagefile::format_findings(
        result, QFile::encodeName(QFileInfo(path).fileName()).toStdString()));
    show_findings_(this, tr("The stage was saved to %1. A check of the file found:"
                            "\n\n%2")
                             .arg(QDir::toNativeSeparators(path), findings));
}

void EditorWindow::owari() {
    close();
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    // Quitting asks nothing; unsaved work is kept for the next start.
    finish_stroke();
    keep_unsaved_work();
    event->accept();
}

}  // namespace vorne::editor
