// A whole stage file as the editor holds it: every stage block in order, each
// with its cells and the exact bytes it had in the file, so that a save
// rewrites only the stages that were changed and leaves every other byte of
// the file as it was. And the recovery file that keeps unsaved work when the
// editor quits. Plain C++, no Qt: a window drives it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/stage_files.h"
#include "editor/stage_model.h"

namespace vorne::editor {

// The most stage blocks the editor opens from one file (the bundled file
// holds ten). Bounds the memory a file of many tiny blocks could take.
inline constexpr int32_t kMaxStages = 1000;

// One stage of a document. The cells and the original bytes are shared, never
// changed in place, so that copying a stage (and a whole DocumentState) copies
// pointers, not grids.
struct DocumentStage {
    std::shared_ptr<const StageState> state;  // never null
    // The block's bytes in the file as last opened or saved, from its count
    // line through the line end of its last row; null for a stage that is not
    // in the file yet.
    std::shared_ptr<const std::string> original;
    // Changed since open or save: a save writes it in the editor's format
    // (StageModel::stage_block); an unchanged stage is written as original.
    bool changed = false;
    // The cells as last opened or saved, shared with state while unchanged:
    // a stage edited back to them (once framed) is unchanged again and keeps
    // its original bytes. Null for a stage not in the file yet.
    std::shared_ptr<const StageState> saved_state;
    // Rows that were longer than the first row when the stage was read, cut
    // in the cells; the file keeps them whole until the stage is rewritten.
    std::vector<CutRow> cut_rows;
};

// The document as an undo step keeps it: store a snapshot before an insert,
// duplicate, delete or move and restore it to undo. Never empty.
struct DocumentState {
    std::vector<DocumentStage> stages;
    int32_t current = 0;   // index of the current stage (0 = first)
    std::string leading;   // bytes before the first block: a byte order mark
    std::string trailing;  // bytes after the last block (the game's reading leaves none)
};

class StageDocument {
  public:
    // A document of no file: one empty framed stage (10 x 10, "a" frame, "z"
    // inside), as a fresh editor shows after its first frame step.
    StageDocument();

    // Reads every stage block of the file by the game's rules, then the
    // editor's limits per stage. On failure returns false with error naming
    // the file, and where it applies the stage and line, and leaves the
    // document as it was.
    bool open(const std::string& path, std::string& error);
    // The same for the bytes of a file in memory; name stands for the file in
    // messages and becomes the document's path.
    bool open_bytes(const std::string& name, std::string bytes, std::string& error);

    // The file the document saves to; empty for a document of no file.
    const std::string& path() const { return path_; }

    int32_t stage_count() const { return static_cast<int32_t>(state_.stages.size()); }
    int32_t current() const { return state_.current; }
    // Makes index current, clamped to the stages there are.
    void set_current(int32_t index);

    // Stage index (clamped to the stages there are).
    const StageState& stage(int32_t index) const;
    bool stage_changed(int32_t index) const;
    const std::vector<CutRow>& cut_rows(int32_t index) const;
    // Replaces stage index's cells; it counts as changed only if they differ
    // from the stage as last opened or saved once both are framed. Returns
    // true if the cells differ from those it held.
    bool set_stage(int32_t index, const StageState& state);

    // Every stage counts as changed: the next save writes the whole file in
    // the editor's format (after the file was written under the document).
    void mark_all_changed();
    // True when a save would write something else than the file held when it
    // was opened or last saved: a stage changed, added, removed or moved.
    bool modified() const;

    // A new empty framed stage after the current one, which becomes current.
    void insert_stage();
    // A copy of the current stage after it, which becomes current. The copy
    // keeps the original bytes, so an unchanged stage is written twice as it
    // was.
    void duplicate_stage();
    // Deletes the current stage; the next one (or the new last one) becomes
    // current. The only stage is never deleted: returns false and nothing
    // changes, as a stage file holds at least one stage.
    bool delete_stage();
    // Swaps the current stage with the one before (after) it; the stage stays
    // current. False at the first (last) stage.
    bool move_up();
    bool move_down();

    DocumentState snapshot() const { return state_; }
    // Brings back a snapshot of this document; an empty one is ignored.
    void restore(DocumentState state);

    // The bytes of the whole file: leading bytes, every block (unchanged ones
    // as their original bytes, the others in the editor's format), trailing
    // bytes. A block whose last line has no line end (the last of the file it
    // came from) gets CR LF when another block follows it.
    std::string bytes() const;
    // Writes bytes() to path() through replace_file (replaced whole or not at
    // all); then every stage counts as unchanged and its original bytes are
    // what was written. Refused with a message for a document of no file.
    bool save(std::string& error);
    // The same to another file, which the document then refers to.
    bool save_as(const std::string& path, std::string& error);

    // Puts back a document read from a recovery file: its stages, the file it
    // belongs to. It counts as modified until saved.
    void recover(const std::string& path, DocumentState state);

  private:
    // The bytes each stage is written as, a missing last line end added.
    std::vector<std::string> blocks() const;
    bool write(const std::string& path, std::string& error);

    std::string path_;
    DocumentState state_;
    // The original bytes of the stages in the order they were last opened or
    // saved: modified() compares the sequence against it.
    std::vector<std::shared_ptr<const std::string>> saved_sequence_;
};

// ---- The recovery file ------------------------------------------------------
//
// When the editor quits with unsaved changes it writes them to a recovery
// file, offered back on the next start. A text file of "key=value" lines,
// each ending in LF, in this order:
//
//   draskel recovery 1
//   kind=stage                   (the stage edited with no file open), or
//   kind=document, then path=P, current=N, leading=T, trailing=T, stages=N
//   then per stage:
//     stage=N                    (1, 2, ... in order)
//     size=W H FW FH             (stage_width stage_height framed_width framed_height)
//     changed=0|1, original=T, cut=R:C R:C ...   (a document only)
//     20 lines "row=C1 C2 ... C20": the cells of rows 1..20, columns 1..20
//   end=H                        (FNV-1a 64 of every byte before this line, 16 hex digits)
//
// Texts (P, T, a cell C) are their bytes with every byte outside "!".."~" and
// "%" itself written as %XX (upper-case hex); an empty cell is a lone "%", an
// empty original a stage not in the file yet. current and stage count from 1.
// Anything else (a missing or unknown line, a bad number or escape, a file
// cut short, an end sum that does not match) refuses the file.

struct Recovery {
    bool whole_document = false;
    StageState stage;        // !whole_document: the stage edited with no file open
    std::string path;        // whole_document: the file the document belongs to
    DocumentState document;  // whole_document
};

// The folder of the recovery file: $XDG_STATE_HOME/draskel when that is an
// absolute path, else $HOME/.local/state/draskel; empty when neither is
// usable. Takes the values of the two variables (null when unset).
std::string recovery_folder(const char* xdg_state_home, const char* home);
// The recovery file in folder.
std::string recovery_file(const std::string& folder);

// What the recovery file keeps of the stage edited with no file open, and of
// a document.
Recovery stage_recovery(const StageState& stage);
Recovery document_recovery(const StageDocument& document);

// The text of a recovery file, and back. parse_recovery refuses a damaged
// text with a message (without the file name) and leaves recovery as it was.
std::string format_recovery(const Recovery& recovery);
bool parse_recovery(std::string_view text, Recovery& recovery, std::string& error);

// Writes the recovery file (creating its folder) through replace_file; reads
// it back, refusing a damaged one with a message naming the file; removes it
// (no file is no error); says whether there is one.
bool write_recovery(const std::string& file, const Recovery& recovery, std::string& error);
bool read_recovery(const std::string& file, Recovery& recovery, std::string& error);
bool remove_recovery(const std::string& file, std::string& error);
bool recovery_exists(const std::string& file);

}  // namespace vorne::editor
