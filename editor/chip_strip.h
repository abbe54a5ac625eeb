// The chip strip: one 20 x 20 picture per chip, "a" .. "n" then "z", composed
// at start-up from the game's own sprite sheets.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QString>
#include <QStringList>

namespace vorne::editor {

inline constexpr int kStripWidth = 300;
inline constexpr int kStripHeight = 21;

// The plain ground under the chips' transparent sprites.
inline constexpr QRgb kChipGround = 0xffe8e8e8;
// The strip's surroundings: what a copy from beyond the strip picture reads,
// and what the empty preview shows.
inline constexpr QRgb kOutsideStrip = 0xff8c8c8c;

// Composes the strip from the sheets NAME.png in sheet_folder. A sheet that is
// missing or too small gives plain labelled chips instead, and one line for
// problems that names the sheet and the chips it should have drawn.
QImage compose_chip_strip(const QString& sheet_folder, QStringList* problems);

// Draws the 20 x 20 sprite whose image and silhouette cells are at image and
// silhouette of sheet onto dest at (x, y): dest OR silhouette, then AND image.
// Pixels outside dest are skipped.
void masked_draw(QImage& dest, int x, int y, const QImage& sheet, QPoint image, QPoint silhouette);

// The w x h block of source at (x, y); pixels beyond source read as outside.
QImage copy_block(const QImage& source, int x, int y, int w, int h, QRgb outside);

}  // namespace vorne::editor
