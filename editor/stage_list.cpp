#include "editor/stage_list.h"

#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>

#include "editor/chip_strip.h"

namespace vorne::editor {

namespace {

// The picture of the largest stage; smaller ones sit centred in it, so every
// entry's text starts at the same place.
constexpr int kThumbPixels = kMaxCells * kThumbCellPixels;
// Pixels of a chip that make one pixel of its reduced picture.
constexpr int kReduction = kCellPixels / kThumbCellPixels;
static_assert(kReduction * kThumbCellPixels == kCellPixels);

QFont panel_font() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

QToolButton* make_button(QWidget* parent, const char* name, const QString& tip,
                         const QString& caption, Qt::ArrowType arrow = Qt::NoArrow) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    if (arrow != Qt::NoArrow) {
        button->setArrowType(arrow);
    } else {
        button->setText(caption);
    }
    button->setAutoRaise(false);
    return button;
}

// "3\n10 x 12\n*": number, width x height, marker.
QString entry_text(int index, const StageThumb& stage) {
    QString text = QStringLiteral("%1\n%2 x %3")
                       .arg(index + 1)
                       .arg(stage.stage.stage_width)
                       .arg(stage.stage.stage_height);
    if (!stage.marker.isEmpty()) text += QLatin1Char('\n') + stage.marker;
    return text;
}

}  // namespace

QImage reduce_chip_strip(const QImage& strip) {
    QImage reduced(kChipCount * kThumbCellPixels, kThumbCellPixels, QImage::Format_RGB32);
    for (int chip = 0; chip < kChipCount; ++chip) {
        const QImage cell =
            copy_block(strip, chip * kCellPixels, 0, kCellPixels, kCellPixels, kOutsideStrip)
                .convertToFormat(QImage::Format_RGB32);
        // Each reduced pixel is the average of its kReduction square.
        for (int ty = 0; ty < kThumbCellPixels; ++ty) {
            for (int tx = 0; tx < kThumbCellPixels; ++tx) {
                int red = 0;
                int green = 0;
                int blue = 0;
                for (int y = ty * kReduction; y < (ty + 1) * kReduction; ++y) {
                    for (int x = tx * kReduction; x < (tx + 1) * kReduction; ++x) {
                        const QRgb pixel = cell.pixel(x, y);
                        red += qRed(pixel);
                        green += qGreen(pixel);
                        blue += qBlue(pixel);
                    }
                }
                constexpr int n = kReduction * kReduction;
                reduced.setPixel(chip * kThumbCellPixels + tx, ty,
                                 qRgb((red + n / 2) / n, (green + n / 2) / n, (blue + n / 2) / n));
            }
        }
    }
    return reduced;
}

QImage stage_thumbnail(const QImage& reduced_chips, const StageState& stage) {
    StageModel framed;
    framed.restore(stage);
    framed.update_frame();
    if (framed.framed_width <= 0 || framed.framed_height <= 0) return {};
    QImage thumb(framed.framed_width * kThumbCellPixels, framed.framed_height * kThumbCellPixels,
                 QImage::Format_RGB32);
    const std::vector<int32_t> offsets = framed.canvas_offsets();
    const size_t row_bytes = kThumbCellPixels * sizeof(QRgb);
    size_t i = 0;
    for (int y = 0; y < framed.framed_height; ++y) {
        for (int x = 0; x < framed.framed_width; ++x) {
            const int chip_x = offsets[i++] / kCellPixels * kThumbCellPixels;
            for (int line = 0; line < kThumbCellPixels; ++line) {
                const auto* from =
                    reinterpret_cast<const QRgb*>(reduced_chips.constScanLine(line)) + chip_x;
                auto* to = reinterpret_cast<QRgb*>(thumb.scanLine(y * kThumbCellPixels + line)) +
                           x * kThumbCellPixels;
                std::memcpy(to, from, row_bytes);
            }
        }
    }
    return thumb;
}

StageListPanel::StageListPanel(const QImage& strip, QWidget* parent)
    : QWidget(parent), reduced_chips_(reduce_chip_strip(strip)) {
    setObjectName(QStringLiteral("stagelist"));
    setFont(panel_font());
    setFixedWidth(kStageListWidth);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("stages"));
    list_->setIconSize(QSize(kThumbPixels, kThumbPixels));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setTextElideMode(Qt::ElideRight);
    // The keys belong to the window (a..n and z pick chips): a list with the
    // focus would take them for a search of its entries.
    list_->setFocusPolicy(Qt::NoFocus);
    // So the selection shows as clearly while the canvas has the focus.
    QPalette palette = list_->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    list_->setPalette(palette);
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { current_row_changed(row); });

    insert_ = make_button(this, "insert", tr("Insert a new stage after this one"), tr("New"));
    duplicate_ = make_button(this, "duplicate", tr("Duplicate this stage"), tr("Copy"));
    delete_ = make_button(this, "delete", tr("Delete this stage"), tr("Delete"));
    move_up_ = make_button(this, "move_up", tr("Move this stage up"), {}, Qt::UpArrow);
    move_down_ = make_button(this, "move_down", tr("Move this stage down"), {}, Qt::DownArrow);
    connect(insert_, &QToolButton::clicked, this, &StageListPanel::insert_requested);
    connect(duplicate_, &QToolButton::clicked, this, &StageListPanel::duplicate_requested);
    connect(delete_, &QToolButton::clicked, this, &StageListPanel::delete_requested);
    connect(move_up_, &QToolButton::clicked, this, &StageListPanel::move_up_requested);
    connect(move_down_, &QToolButton::clicked, this, &StageListPanel::move_down_requested);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(2);
    for (QToolButton* button : {insert_, duplicate_, delete_}) {
        buttons->addWidget(button, 1);
    }
    buttons->addWidget(move_up_);
    buttons->addWidget(move_down_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    update_buttons();
}

int StageListPanel::count() const {
    return list_->count();
}

void StageListPanel::set_stages(const std::vector<StageThumb>& stages, int current) {
    updating_ = true;
    list_->clear();
    for (size_t i = 0; i < stages.size(); ++i) {
        list_->addItem(new QListWidgetItem);
        show_stage(static_cast<int>(i), stages[i]);
    }
    updating_ = false;
    set_current(current);
}

void StageListPanel::update_stage(int index, const StageThumb& stage) {
    if (index < 0 || index >= list_->count()) return;
    show_stage(index, stage);
}

void StageListPanel::show_stage(int index, const StageThumb& stage) {
    QListWidgetItem* item = list_->item(index);
    const QString text = entry_text(index, stage);
    if (item->text() != text) item->setText(text);
    QImage picture(kThumbPixels, kThumbPixels, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    const QImage thumb = stage_thumbnail(reduced_chips_, stage.stage);
    if (!thumb.isNull()) {
        QPainter painter(&picture);
        painter.drawImage((kThumbPixels - thumb.width()) / 2, (kThumbPixels - thumb.height()) / 2,
                          thumb);
    }
    item->setIcon(QIcon(QPixmap::fromImage(picture)));
}

void StageListPanel::set_current(int index) {
    if (index < 0 || index >= list_->count()) index = -1;
    updating_ = true;
    list_->setCurrentRow(index);
    if (index >= 0) list_->scrollToItem(list_->item(index));
    updating_ = false;
    current_ = index;
    update_buttons();
}

void StageListPanel::current_row_changed(int row) {
    if (updating_ || row < 0) return;
    current_ = row;
    update_buttons();
    emit stage_chosen(row);
}

void StageListPanel::update_buttons() {
    const int stages = list_->count();
    const bool chosen = current_ >= 0 && current_ < stages;
    insert_->setEnabled(chosen || stages == 0);
    duplicate_->setEnabled(chosen);
    delete_->setEnabled(chosen && stages > 1);
    move_up_->setEnabled(chosen && current_ > 0);
    move_down_->setEnabled(chosen && current_ + 1 < stages);
}

}  // namespace vorne::editor
