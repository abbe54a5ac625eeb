// Recordings: the input of every tick of a run, written in the headless
// runner's input format (inputs.h) under a header of comments that says what
// was played, so that the run can be replayed (--headless --inputs, --replay)
// and a stage's proof can be told stale once the stage changes.
//
// The header, one "# key: value" line each (README "Recordings"):
//   # vorne1.0 recording: ...         the first line
//   # version: vorne1.0 1.0
//   # map: PATH                       the --map of the run (absent without it)
//   # stage: N                        the --stage of the run (absent without it)
//   # file: PATH                      the stage file Z opens on the title
//   # file-bytes: N                   its size
//   # file-fnv1a64: HEX               FNV-1a 64 of its bytes
//   # stage-bytes: N                  with --stage: the size of that stage's
//   # stage-fnv1a64: HEX              block (count line, rows, line ends), and its hash
// Comments that follow during the run: "# dialog: PATH" or "# dialog:
// cancelled" each time the title's file dialog answered, and at the end
// "# end: N ticks, HOW".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/shell/inputs.h"
#include "game/shell/output_file.h"
#include "stagefile/hashes.h"

namespace vorne {

using stagefile::fnv1a64;
using stagefile::hash_stage_file;
using stagefile::hash_stage_text;
using stagefile::hex64;
using stagefile::StageBlockHash;
using stagefile::StageFileHashes;

// What a recording's header says; fields the header lacks stay empty.
struct RecordingHeader {
    std::string version;
    std::optional<std::string> map;
    std::optional<int32_t> stage;
    std::string file;
    std::optional<StageBlockHash> file_hash;
    std::optional<StageBlockHash> stage_hash;
    // Every answer of the file dialog, in order (nullopt: cancelled).
    std::vector<std::optional<std::string>> dialog_answers;
};
RecordingHeader parse_recording_header(std::string_view text);

// The header of a recording of a run with these --map/--stage options, on the
// stage file `file` (the one Z opens). Fails with a reason when the file
// cannot be read or a path does not fit on one line.
std::optional<std::string> recording_header(const std::optional<std::string>& map,
                                            std::optional<int32_t> stage, const std::string& file,
                                            std::string& error);

// A recording being written: ticks of equal input are merged into one
// "N*SX SY B" line, written once the input changes (or at the end).
class Recorder {
  public:
    bool open(const std::string& path, const std::string& header, std::string& error);
    bool is_open() const { return file_.is_open(); }
    // The input of one tick, as the tick read it.
    void tick(int16_t stick_x, int16_t stick_y, int32_t buttons);
    // A comment line at this point of the run.
    void note(std::string_view comment);
    // Writes what is left and the end line; false with the reason when any
    // write failed.
    bool finish(std::string_view how, std::string& error);
    int64_t ticks() const { return ticks_; }

  private:
    void write_pending();

    OutputFile file_;
    std::string failure_;
    std::optional<InputStep> pending_;
    int64_t ticks_ = 0;
};

// The comment that notes a file dialog's answer ("dialog: PATH", "dialog:
// cancelled"); a path that cannot stand on one line is named as such.
std::string dialog_note(const std::optional<std::string>& answer);

// The text of one input line: "N*SX SY B", without the prefix when N is 1.
std::string input_line(const InputStep& step);

}  // namespace vorne
