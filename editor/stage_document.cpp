#include "editor/stage_document.h"

#include <algorithm>

#include "stagefile/blocks.h"
#include "stagefile/files.h"

namespace vorne::editor {

namespace {

StageState state_of(const LoadedStage& loaded) {
    StageModel model;
    apply_loaded_stage(model, loaded);
    return model.state();
}

DocumentStage empty_stage() {
    StageModel model;
    model.update_frame();
    return {std::make_shared<const StageState>(model.state()), nullptr, true, nullptr, {}};
}

std::string block_of(const StageState& state) {
    StageModel model;
    model.restore(state);
    return model.stage_block();
}

// True when bytes end in a line end as the game reads them (CR, or CR LF): an
// LF alone is a character of the line.
bool ends_in_line_end(std::string_view bytes) {
    return bytes.ends_with('\r') || bytes.ends_with("\r\n");
}

}  // namespace

StageDocument::StageDocument() {
    state_.stages.push_back(empty_stage());
}

bool StageDocument::open(const std::string& path, std::string& error) {
    // One byte more than a stage file may hold, so that the reader refuses a
    // file that grew past the limit since it was looked at, in its own words.
    std::string bytes;
    if (!read_whole_file(path, stagefile::max_file_bytes, bytes, error)) return false;
    return open_bytes(path, std::move(bytes), error);
}

bool StageDocument::open_bytes(const std::string& name, std::string bytes, std::string& error) {
    stagefile::Reader reader;
    reader.open_text(name, bytes);
    DocumentState state;
    // The reader skips one byte order mark at the start, no more.
    size_t block_start = std::string_view(bytes).starts_with("\xEF\xBB\xBF") ? 3 : 0;
    state.leading = bytes.substr(0, block_start);

    int32_t rows = 0;
    if (auto refusal = stagefile::read_first_count(reader, rows)) {
        error = refusal_message(name, 1, *refusal);
        return false;
    }
    for (int32_t number = 1;; ++number) {
        LoadedStage loaded;
        if (!read_stage_rows(reader, number, rows, loaded, error)) return false;
        const auto block_end = static_cast<size_t>(reader.offset());
        auto cells = std::make_shared<const StageState>(state_of(loaded));
        state.stages.push_back({cells,
                                std::make_shared<const std::string>(
                                    bytes.substr(block_start, block_end - block_start)),
                                false, cells, std::move(loaded.cut_rows)});
        block_start = block_end;

        bool end_of_file = false;
        if (auto refusal = stagefile::read_next_count(reader, end_of_file, rows)) {
            error = refusal_message(name, number + 1, *refusal);
            return false;
        }
        if (end_of_file) break;
        if (number == kMaxStages) {
            error = name + ": stage " + std::to_string(number + 1) + ", line " +
                    std::to_string(reader.lines_read()) + ": the file holds more than " +
                    std::to_string(kMaxStages) + " stages; the editor opens files of at most " +
                    std::to_string(kMaxStages);
            return false;
        }
    }
    state.trailing = bytes.substr(block_start);

    path_ = name;
    state_ = std::move(state);
    saved_sequence_.clear();
    for (const DocumentStage& stage : state_.stages)
        saved_sequence_.push_back(stage.original);
    return true;
}

void StageDocument::set_current(int32_t index) {
    state_.current = std::clamp(index, 0, stage_count() - 1);
}

const StageState& StageDocument::stage(int32_t index) const {
    return *state_.stages[static_cast<size_t>(std::clamp(index, 0, stage_count() - 1))].state;
}

bool StageDocument::stage_changed(int32_t index) const {
    return state_.stages[static_cast<size_t>(std::clamp(index, 0, stage_count() - 1))].changed;
}

const std::vector<CutRow>& StageDocument::cut_rows(int32_t index) const {
    return state_.stages[static_cast<size_t>(std::clamp(index, 0, stage_count() - 1))].cut_rows;
}

bool StageDocument::set_stage(int32_t index, const StageState& state) {
    DocumentStage& stage =
        state_.stages[static_cast<size_t>(std::clamp(index, 0, stage_count() - 1))];
    if (*stage.state == state) return false;
    if (stage.saved_state && same_when_framed(state, *stage.saved_state)) {
        stage.state = stage.saved_state;
        stage.changed = false;
        return true;
    }
    stage.state = std::make_shared<const StageState>(state);
    stage.changed = true;
    return true;
}

void StageDocument::mark_all_changed() {
    for (DocumentStage& stage : state_.stages)
        stage.changed = true;
}

bool StageDocument::modified() const {
    if (state_.stages.size() != saved_sequence_.size()) return true;
    for (size_t i = 0; i < state_.stages.size(); ++i) {
        const DocumentStage& stage = state_.stages[i];
        if (stage.changed || stage.original != saved_sequence_[i]) return true;
    }
    return false;
}

void StageDocument::insert_stage() {
    state_.stages.insert(state_.stages.begin() + state_.current + 1, empty_stage());
    ++state_.current;
}

void StageDocument::duplicate_stage() {
    const DocumentStage copy = state_.stages[static_cast<size_t>(state_.current)];
    state_.stages.insert(state_.stages.begin() + state_.current + 1, copy);
    ++state_.current;
}

bool StageDocument::delete_stage() {
    if (stage_count() <= 1) return false;
    state_.stages.erase(state_.stages.begin() + state_.current);
    state_.current = std::min(state_.current, stage_count() - 1);
    return true;
}

bool StageDocument::move_up() {
    if (state_.current == 0) return false;
    std::swap(state_.stages[static_cast<size_t>(state_.current)],
              state_.stages[static_cast<size_t>(state_.current - 1)]);
    --state_.current;
    return true;
}

bool StageDocument::move_down() {
    if (state_.current + 1 >= stage_count()) return false;
    std::swap(state_.stages[static_cast<size_t>(state_.current)],
              state_.stages[static_cast<size_t>(state_.current + 1)]);
    ++state_.current;
    return true;
}

void StageDocument::restore(DocumentState state) {
    if (state.stages.empty()) return;
    state_ = std::move(state);
    set_current(state_.current);
}

std::vector<std::string> StageDocument::blocks() const {
    std::vector<std::string> blocks;
    blocks.reserve(state_.stages.size());
    for (const DocumentStage& stage : state_.stages) {
        // The last line of the block before has no line end when it was the
        // last of its file: it gets one, or this block's count line would
        // join it. (A block ending in a lone CR before one starting with an LF
        // reads the same: the CR LF ends the row, and LFs on a count line do
        // not count.)
        if (!blocks.empty() && !ends_in_line_end(blocks.back())) blocks.back() += "\r\n";
        blocks.push_back(stage.changed || !stage.original ? block_of(*stage.state)
                                                          : *stage.original);
    }
    return blocks;
}

std::string StageDocument::bytes() const {
    std::string out = state_.leading;
    for (const std::string& block : blocks())
        out += block;
    return out + state_.trailing;
}

bool StageDocument::save(std::string& error) {
    if (path_.empty()) {
        error = "the stages belong to no file yet: save them under a name first";
        return false;
    }
    return write(path_, error);
}

bool StageDocument::save_as(const std::string& path, std::string& error) {
    if (!write(path, error)) return false;
    path_ = path;
    return true;
}

bool StageDocument::write(const std::string& path, std::string& error) {
    std::vector<std::string> written = blocks();
    std::string out = state_.leading;
    for (const std::string& block : written)
        out += block;
    out += state_.trailing;
    if (!replace_file(path, out, error)) return false;

    saved_sequence_.clear();
    for (size_t i = 0; i < written.size(); ++i) {
        DocumentStage& stage = state_.stages[i];
        // The file no longer holds the cut tails of a rewritten stage.
        if (stage.changed || !stage.original) stage.cut_rows.clear();
        if (!stage.original || *stage.original != written[i]) {
            stage.original = std::make_shared<const std::string>(std::move(written[i]));
        }
        stage.changed = false;
        stage.saved_state = stage.state;
        saved_sequence_.push_back(stage.original);
    }
    return true;
}

void StageDocument::recover(const std::string& path, DocumentState state) {
    if (state.stages.empty()) return;
    path_ = path;
    for (DocumentStage& stage : state.stages) {
        if (!stage.changed && stage.original) stage.saved_state = stage.state;
    }
    restore(std::move(state));
    saved_sequence_.clear();  // not saved since: modified until it is
}

}  // namespace vorne::editor
