#include "editor/editor_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

#include "editor/chip_strip.h"
#include "editor/stage_files.h"

namespace vorne::editor {

namespace {

constexpr int kCell = kCellPixels;
const QColor kCursorColour(255, 0, 0);

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
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        window_->canvas_mouse_move(event->position(), event->buttons());
    }
    void mousePressEvent(QMouseEvent* event) override {
        window_->canvas_mouse_press(event->buttons());
    }

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
    if (kind == FileDialogKind::open) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("ロード"), folder, filter);
    }
    if (kind == FileDialogKind::save_alone) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("単体でセーブ"), folder, filter);
    }
    // Appending to an existing file is the point: no question about it.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("追加書き込みセーブ"), folder,
                                        filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

void report_error_in_box(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, parent ? parent->windowTitle() : QString(), message);
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
    setWindowTitle(QStringLiteral("VORNE専用マップエディタ ver1.0"));
    setFixedSize(kCanvasRegionWidth, 537);

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
    connect(hscroll1_, &QScrollBar::valueChanged, this, [this](int value) {
        model_.set_stage_width(value);
        size_bar_changed();
    });
    connect(hscroll2_, &QScrollBar::valueChanged, this, [this](int value) {
        model_.set_stage_height(value);
        size_bar_changed();
    });

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
    request_tick();
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
    paint_cursor_cell(buttons);
}

void EditorWindow::canvas_mouse_press(Qt::MouseButtons buttons) {
    paint_cursor_cell(buttons);
}

void EditorWindow::paint_cursor_cell(Qt::MouseButtons buttons) {
    std::string& cell = model_.cell(cursor_column_ + 1, cursor_row_ + 1);
    if (buttons == Qt::LeftButton) {
        cell = model_.selected_chip;
    } else if (buttons == Qt::RightButton) {
        cell.assign(1, 'z');
    } else {
        return;
    }
    request_tick();
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
    const std::string_view letter = chip_letter(hover_chip_);
    if (!letter.empty()) model_.selected_chip = std::string(letter);
    // The preview is taken two pixels right of the chip's own cell.
    preview_ = copy_block(strip_, hover_chip_ * kCell + 2, 0, kCell, kCell, kOutsideStrip);
    selectbox_->update();
}

void EditorWindow::size_bar_changed() {
    if (mainsen_ != QPoint(0, 0)) {
        mainsen_ = QPoint(0, 0);
        main_->update();
    }
    request_tick();
}

bool EditorWindow::load_file(const QString& path) {
    std::string error;
    if (!load_stage(model_, QFile::encodeName(path).toStdString(), error)) {
        report_error_(this, QString::fromLocal8Bit(error));
        return false;
    }
    // The bars follow the loaded size; their change handlers agree with the model.
    hscroll1_->setValue(model_.stage_width);
    hscroll2_->setValue(model_.stage_height);
    request_tick();
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
    const QString path = choose_file_(this, kind);
    if (path.isEmpty()) return;
    // Bring the frame up to the current size first, as the tick would.
    redraw_tick();
    const std::string file = QFile::encodeName(path).toStdString();
    std::string error;
    const bool saved = kind == FileDialogKind::save_alone
                           ? save_stage_alone(model_, file, error)
                           : save_stage_appended(model_, file, error);
    if (!saved) report_error_(this, QString::fromLocal8Bit(error));
}

void EditorWindow::owari() {
    close();
}

}  // namespace vorne::editor
