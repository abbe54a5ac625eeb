// The list of the stages of the file being edited, beside the editor's canvas:
// a small picture of each stage with its number, size and a marker, and the
// buttons that insert, duplicate, delete and move stages. The panel only shows
// the stages and asks for changes; the window makes them and tells it.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "editor/stage_model.h"

class QListWidget;
class QToolButton;

namespace vorne::editor {

// Width the panel asks for; it takes the height it is given.
inline constexpr int kStageListWidth = 180;
// Pixels of a cell in a stage's picture: 20 cells make 80.
inline constexpr int kThumbCellPixels = 4;

// What the list shows of one stage.
struct StageThumb {
    // The stage as the editor holds it; its picture is framed as the next
    // redraw tick frames it.
    StageState stage;
    // Shown after the size ("*" for a changed stage, say); may be empty.
    QString marker;
};

// The fifteen chips of the strip, each reduced to kThumbCellPixels square
// (the average of its picture), side by side in strip order.
QImage reduce_chip_strip(const QImage& strip);

// The picture of a stage, kThumbCellPixels per cell, from the chips of
// reduce_chip_strip: each cell shows the chip the canvas would draw there
// once the stage is framed (a cell that shows no chip repeats the one drawn
// before it). Null for a stage of no cells.
QImage stage_thumbnail(const QImage& reduced_chips, const StageState& stage);

class StageListPanel : public QWidget {
    Q_OBJECT

  public:
    // strip: the chip strip of compose_chip_strip.
    explicit StageListPanel(const QImage& strip, QWidget* parent = nullptr);

    // Shows these stages, current (0-based; -1 for none) selected.
    void set_stages(const std::vector<StageThumb>& stages, int current);
    // Refreshes the entry at index (cheap enough for every painted cell);
    // an index outside the list is ignored.
    void update_stage(int index, const StageThumb& stage);
    // Selects the entry at index without emitting stage_chosen.
    void set_current(int index);

    int current() const { return current_; }
    int count() const;

  signals:
    // The designer clicked the entry at index. The list never takes the
    // keyboard focus: the keys stay with the window, where a..n and z pick chips.
    void stage_chosen(int index);
    void insert_requested();
    void duplicate_requested();
    void delete_requested();
    void move_up_requested();
    void move_down_requested();

  private:
    void show_stage(int index, const StageThumb& stage);
    void update_buttons();
    void current_row_changed(int row);

    QImage reduced_chips_;
    QListWidget* list_ = nullptr;
    QToolButton* insert_ = nullptr;
    QToolButton* duplicate_ = nullptr;
    QToolButton* delete_ = nullptr;
    QToolButton* move_up_ = nullptr;
    QToolButton* move_down_ = nullptr;
    int current_ = -1;
    // Set while the panel itself changes the selection.
    bool updating_ = false;
};

}  // namespace vorne::editor
