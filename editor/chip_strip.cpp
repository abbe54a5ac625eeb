#include "editor/chip_strip.h"

#include <QFont>
#include <QMap>
#include <QPainter>

#include <array>

#include "editor/stage_model.h"

namespace vorne::editor {

namespace {

constexpr int kCell = kCellPixels;

using stagefile::Object;

// Where each chip's picture lies in the game's sheets. An opaque chip is
// copied; a transparent one is drawn with its silhouette and image cells.
struct ChipArt {
    Object object;      // what the chip's letter builds
    const char* sheet;  // nullptr: the empty cell, plain ground
    QPoint image;
    QPoint silhouette;
    bool opaque;
};

constexpr std::array<ChipArt, kChipCount> chip_art = {{
    {Object::wall, "kabe", {0, 0}, {}, true},
    {Object::player_start, "pc", {0, 0}, {0, 20}, false},
    {Object::ladder, "hasi", {0, 0}, {0, 20}, false},
    {Object::coin, "tc", {0, 0}, {0, 20}, false},
    {Object::power_item, "ki", {0, 0}, {0, 20}, false},
    {Object::door, "tobira", {0, 0}, {}, true},        // closed
    {Object::enemy_g, "t1c", {0, 0}, {0, 20}, false},  // enemy fronts share one silhouette
    {Object::enemy_h, "t1c", {60, 0}, {0, 20}, false},
    {Object::enemy_i, "t1c", {60, 60}, {0, 20}, false},
    {Object::enemy_j, "t1c", {0, 120}, {0, 20}, false},
    {Object::key1, "kagic", {0, 0}, {0, 20}, false},
    {Object::lock1, "kagic", {0, 40}, {0, 60}, false},
    {Object::key2, "kagic", {20, 0}, {0, 20}, false},
    {Object::lock2, "kagic", {20, 40}, {0, 60}, false},
    {Object::empty, nullptr, {}, {}, true},
}};

// The strip shows the chips in the order of the letters' table, one cell each.
constexpr bool art_in_chip_order() {
    for (size_t i = 0; i < chip_art.size(); ++i) {
        if (chip_art[i].object != stagefile::letters[i].object) return false;
    }
    return true;
}
static_assert(art_in_chip_order());
static_assert(kStripWidth == kChipCount * kCell);

bool holds_cell(const QImage& sheet, QPoint cell) {
    return cell.x() >= 0 && cell.y() >= 0 && cell.x() + kCell <= sheet.width() &&
           cell.y() + kCell <= sheet.height();
}

void fill_cell(QImage& strip, int x, QRgb colour) {
    for (int dy = 0; dy < kCell; ++dy) {
        for (int dx = 0; dx < kCell; ++dx)
            strip.setPixel(x + dx, dy, colour);
    }
}

// The empty cell: plain ground with a faint edge, so empty floor shows a grid.
void draw_empty_chip(QImage& strip, int x) {
    fill_cell(strip, x, kChipGround);
    constexpr QRgb edge = 0xffd2d2d2;
    for (int i = 0; i < kCell; ++i) {
        strip.setPixel(x + kCell - 1, i, edge);
        strip.setPixel(x + i, kCell - 1, edge);
    }
}

// Stands in for a chip whose sheet could not be used: its letter on a plain tile.
void draw_plain_chip(QImage& strip, int x, char letter) {
    QPainter painter(&strip);
    painter.fillRect(x, 0, kCell, kCell, QColor(255, 236, 179));
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(x, 0, kCell - 1, kCell - 1);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(x, 0, kCell, kCell), Qt::AlignCenter, QString(QChar(letter)));
}

}  // namespace

void masked_draw(QImage& dest, int x, int y, const QImage& sheet, QPoint image, QPoint silhouette) {
    for (int dy = 0; dy < kCell; ++dy) {
        for (int dx = 0; dx < kCell; ++dx) {
            const int tx = x + dx, ty = y + dy;
            if (!dest.valid(tx, ty)) continue;
            QRgb pixel = dest.pixel(tx, ty);
            pixel |= sheet.pixel(silhouette.x() + dx, silhouette.y() + dy);
            pixel &= sheet.pixel(image.x() + dx, image.y() + dy);
            dest.setPixel(tx, ty, pixel | 0xff000000u);
        }
    }
}

QImage copy_block(const QImage& source, int x, int y, int w, int h, QRgb outside) {
    QImage block(w, h, QImage::Format_RGB32);
    for (int dy = 0; dy < h; ++dy) {
        for (int dx = 0; dx < w; ++dx) {
            const int sx = x + dx, sy = y + dy;
            block.setPixel(dx, dy, source.valid(sx, sy) ? source.pixel(sx, sy) : outside);
        }
    }
    return block;
}

QImage compose_chip_strip(const QString& sheet_folder, QStringList* problems) {
    QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
    strip.fill(kChipGround);

    QMap<QString, QImage> sheets;
    QMap<QString, QString> missing;  // sheet -> chips drawn plain
    for (int32_t index = 0; index < kChipCount; ++index) {
        const ChipArt& chip = chip_art[static_cast<size_t>(index)];
        const int x = index * kCell;
        const char letter = chip_letter(index)[0];
        if (!chip.sheet) {
            draw_empty_chip(strip, x);
            continue;
        }
        const QString name = QString::fromLatin1(chip.sheet);
        if (!sheets.contains(name)) {
            QImage sheet(sheet_folder + QLatin1Char('/') + name + QStringLiteral(".png"));
            sheets.insert(name,
                          sheet.isNull() ? QImage() : sheet.convertToFormat(QImage::Format_RGB32));
        }
        const QImage& sheet = sheets[name];
        if (!holds_cell(sheet, chip.image) ||
            (!chip.opaque && !holds_cell(sheet, chip.silhouette))) {
            QString& chips = missing[name];
            if (!chips.isEmpty()) chips += QStringLiteral(", ");
            chips += QChar(letter);
            draw_plain_chip(strip, x, letter);
            continue;
        }
        if (chip.opaque) {
            for (int dy = 0; dy < kCell; ++dy) {
                for (int dx = 0; dx < kCell; ++dx) {
                    strip.setPixel(x + dx, dy,
                                   sheet.pixel(chip.image.x() + dx, chip.image.y() + dy));
                }
            }
        } else {
            masked_draw(strip, x, 0, sheet, chip.image, chip.silhouette);
        }
    }

    if (problems) {
        for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
            const QString path =
                sheet_folder + QLatin1Char('/') + it.key() + QStringLiteral(".png");
            const QString what = sheets[it.key()].isNull()
                                     ? QStringLiteral("is missing or unreadable")
                                     : QStringLiteral("is too small");
            *problems
                << QStringLiteral("%1 %2; drawing plain chips for %3").arg(path, what, it.value());
        }
    }
    return strip;
}

}  // namespace vorne::editor
