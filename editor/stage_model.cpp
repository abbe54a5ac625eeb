#include "editor/stage_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "stagefile/writer.h"

namespace vorne::editor {

namespace {

// Shared texts: assigning these copies a short string (and keeps GCC 12's
// string-overlap false positives out of the release build).
const std::string empty_cell(kEmptyLetter);
const std::string wall_cell(kWallLetter);

// The four cells sharing an edge with a cell, as column and row steps.
constexpr std::array<std::pair<int32_t, int32_t>, 4> kEdgeNeighbours{
    {{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};

int32_t clamp_size(int32_t size) {
    return std::clamp<int32_t>(size, 0, kMaxCells);
}

}  // namespace

int32_t chip_index(std::string_view letter) {
    // Chips follow the order of the letters' table, so a letter's object is
    // its chip's index.
    const stagefile::Letter& entry = stagefile::letter_of(letter);
    return entry.text == letter ? static_cast<int32_t>(entry.object) : -1;
}

std::string_view chip_letter(int32_t index) {
    if (index < 0 || index >= kChipCount) return {};
    return stagefile::letters[static_cast<size_t>(index)].text;
}

int32_t strip_offset(std::string_view cell, int32_t previous) {
    const int32_t index = chip_index(cell);
    return index < 0 ? previous : index * kCellPixels;
}

int32_t cursor_cell(double coordinate, int32_t cells) {
    const double last = static_cast<double>(cells - 1) * kCellPixels;
    if (coordinate > last) coordinate = last;
    if (coordinate < 0 || std::isnan(coordinate)) coordinate = 0;
    return static_cast<int32_t>(std::nearbyint(coordinate)) / kCellPixels;
}

StageModel::StageModel() {
    for (int32_t x = 1; x <= kMaxCells; ++x) {
        for (int32_t y = 1; y <= kMaxCells; ++y)
            edit_grid[x][y] = empty_cell;
    }
}

void StageModel::rebuild_frame(int32_t old_width, int32_t old_height, int32_t new_width,
                               int32_t new_height) {
    old_width = clamp_size(old_width);
    old_height = clamp_size(old_height);
    new_width = clamp_size(new_width);
    new_height = clamp_size(new_height);
    // The old frame becomes floor first, so a frame left inside a grown stage
    // is empty floor and one left outside a shrunk stage is cleared.
    for (int32_t x = 1; x <= old_width; ++x) {
        cell(x, 1) = empty_cell;
        cell(x, old_height) = empty_cell;
    }
    for (int32_t y = 1; y <= old_height; ++y) {
        cell(1, y) = empty_cell;
        cell(old_width, y) = empty_cell;
    }
    for (int32_t x = 1; x <= new_width; ++x) {
        cell(x, 1) = wall_cell;
        cell(x, new_height) = wall_cell;
    }
    for (int32_t y = 1; y <= new_height; ++y) {
        cell(1, y) = wall_cell;
        cell(new_width, y) = wall_cell;
    }
}

void StageModel::update_frame() {
    rebuild_frame(framed_width, framed_height, stage_width, stage_height);
    framed_width = stage_width;
    framed_height = stage_height;
}

StageState StageModel::state() const {
    return {edit_grid, stage_width, stage_height, framed_width, framed_height};
}

void StageModel::restore(const StageState& state) {
    edit_grid = state.edit_grid;
    stage_width = clamp_size(state.stage_width);
    stage_height = clamp_size(state.stage_height);
    framed_width = clamp_size(state.framed_width);
    framed_height = clamp_size(state.framed_height);
}

void StageModel::set_stage_width(int32_t width) {
    stage_width = clamp_size(width);
}

void StageModel::set_stage_height(int32_t height) {
    stage_height = clamp_size(height);
}

std::vector<std::string> StageModel::saved_rows() const {
    std::vector<std::string> rows;
    for (int32_t y = 1; y <= framed_height; ++y) {
        std::string row;
        for (int32_t x = 1; x <= framed_width; ++x)
            row += cell(x, y);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string StageModel::stage_block() const {
    // The count line gives the rows actually written, so the block always
    // reads back whole even if the size changed since the last frame step.
    return stagefile::format_block(framed_height, saved_rows());
}

std::vector<int32_t> StageModel::canvas_offsets() const {
    std::vector<int32_t> offsets;
    offsets.reserve(static_cast<size_t>(framed_width * framed_height));
    int32_t previous = 0;
    for (int32_t y = 1; y <= framed_height; ++y) {
        for (int32_t x = 1; x <= framed_width; ++x) {
            previous = strip_offset(cell(x, y), previous);
            offsets.push_back(previous);
        }
    }
    return offsets;
}

int32_t StageModel::fill_rectangle(int32_t column1, int32_t row1, int32_t column2, int32_t row2,
                                   std::string_view letter) {
    const int32_t left = std::max<int32_t>(std::min(column1, column2), 1);
    const int32_t right = std::min(std::max(column1, column2), stage_width);
    const int32_t top = std::max<int32_t>(std::min(row1, row2), 1);
    const int32_t bottom = std::min(std::max(row1, row2), stage_height);
    const std::string fill(letter);
    int32_t changed = 0;
    for (int32_t x = left; x <= right; ++x) {
        for (int32_t y = top; y <= bottom; ++y) {
            std::string& target = cell(x, y);
            if (target == fill) continue;
            target = fill;
            ++changed;
        }
    }
    return changed;
}

int32_t StageModel::flood_fill(int32_t column, int32_t row, std::string_view letter) {
    const auto inside = [this](int32_t x, int32_t y) {
        return x >= 1 && x <= stage_width && y >= 1 && y <= stage_height;
    };
    if (!inside(column, row) || cell(column, row) == letter) return 0;
    // Every cell that joins the area holds the old text until it is filled,
    // and the fill differs from it, so no cell is taken twice.
    const std::string old_text = cell(column, row);
    const std::string fill(letter);
    std::vector<std::pair<int32_t, int32_t>> pending{{column, row}};
    cell(column, row) = fill;
    int32_t changed = 1;
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        for (const auto& [dx, dy] : kEdgeNeighbours) {
            const int32_t nx = x + dx;
            const int32_t ny = y + dy;
            if (!inside(nx, ny) || cell(nx, ny) != old_text) continue;
            cell(nx, ny) = fill;
            ++changed;
            pending.emplace_back(nx, ny);
        }
    }
    return changed;
}

bool same_when_framed(const StageState& a, const StageState& b) {
    if (a == b) return true;
    StageModel framed_a;
    framed_a.restore(a);
    framed_a.update_frame();
    StageModel framed_b;
    framed_b.restore(b);
    framed_b.update_frame();
    return framed_a.state() == framed_b.state();
}

}  // namespace vorne::editor
