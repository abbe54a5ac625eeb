// The recovery file: see stage_document.h for its format.
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "editor/stage_document.h"
#include "stagefile/files.h"
#include "stagefile/hashes.h"
#include "stagefile/letters.h"

namespace vorne::editor {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFirstLine = "draskel recovery 1";
// The largest recovery file read: every stage of the largest stage file,
// each byte of its original blocks written as %XX, with room to spare.
constexpr uint64_t kMaxRecoveryBytes = 4 * stagefile::max_file_bytes;

std::string hex_sum(std::string_view bytes) {
    return stagefile::hex64(stagefile::fnv1a64(bytes));
}

// Decimal digits with an optional minus sign, nothing else, within min..max
// (the rule of the game's own settings file; the editor does not depend on the
// game's folders).
bool parse_int(std::string_view text, int64_t min, int64_t max, int64_t& out) {
    int64_t value = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || code != std::errc() || end != text.data() + text.size()) return false;
    if (value < min || value > max) return false;
    out = value;
    return true;
}

bool is_plain(char c) {
    return c > ' ' && c <= '~' && c != '%';
}

std::string escaped(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        if (is_plain(c)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += {'%', digits[byte >> 4], digits[byte & 15]};
        }
    }
    return out;
}

std::string escaped_cell(std::string_view cell) {
    return cell.empty() ? "%" : escaped(cell);
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool unescaped(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (is_plain(text[i])) {
            out += text[i];
            continue;
        }
        if (text[i] != '%' || i + 2 >= text.size()) return false;
        const int high = hex_value(text[i + 1]);
        const int low = hex_value(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    if (text.empty()) return parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

void format_stage(std::string& out, int32_t number, const StageState& state,
                  const DocumentStage* stage) {
    out += "stage=" + std::to_string(number) + "\n";
    out += "size=" + std::to_string(state.stage_width) + " " + std::to_string(state.stage_height) +
           " " + std::to_string(state.framed_width) + " " + std::to_string(state.framed_height) +
           "\n";
    if (stage) {
        out += stage->changed ? "changed=1\n" : "changed=0\n";
        out += "original=" + (stage->original ? escaped(*stage->original) : std::string()) + "\n";
        out += "cut=";
        for (size_t i = 0; i < stage->cut_rows.size(); ++i) {
            if (i > 0) out += ' ';
            out += std::to_string(stage->cut_rows[i].row) + ":" +
                   std::to_string(stage->cut_rows[i].cells);
        }
        out += "\n";
    }
    for (int32_t y = 1; y <= kMaxCells; ++y) {
        out += "row=";
        for (int32_t x = 1; x <= kMaxCells; ++x) {
            if (x > 1) out += ' ';
            out += escaped_cell(state.edit_grid[x][y]);
        }
        out += "\n";
    }
}

// Reads the lines of a recovery text one by one, each "key=value".
class Lines {
  public:
    // body: the lines after the first, each ending in LF.
    explicit Lines(std::string_view body) : lines_(split(body.substr(0, body.size() - 1), '\n')) {}

    // The value of the next line, which must be "key=...".
    bool next(std::string_view key, std::string_view& value, std::string& error) {
        if (at_ >= lines_.size()) {
            error = "line " + std::to_string(at_ + 2) + ": \"" + std::string(key) +
                    "=\" expected, the text ends early";
            return false;
        }
        const std::string_view line = lines_[at_++];
        if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != '=') {
            return fail("\"" + std::string(key) + "=\" expected", error);
        }
        value = line.substr(key.size() + 1);
        return true;
    }
    bool number(std::string_view key, int64_t min, int64_t max, int64_t& value,
                std::string& error) {
        std::string_view text;
        if (!next(key, text, error)) return false;
        if (!parse_int(text, min, max, value)) {
            return fail(std::string(key) + " is not a number " + std::to_string(min) + ".." +
                            std::to_string(max),
                        error);
        }
        return true;
    }
    bool text(std::string_view key, std::string& value, std::string& error) {
        std::string_view line;
        if (!next(key, line, error)) return false;
        if (!unescaped(line, value)) return fail("a damaged %XX escape", error);
        return true;
    }
    // A problem of the line just read (the first line of the file is line 1).
    bool fail(const std::string& problem, std::string& error) const {
        error = "line " + std::to_string(at_ + 1) + ": " + problem;
        return false;
    }
    // Refuses lines after the last stage.
    bool done(std::string& error) const {
        if (at_ == lines_.size()) return true;
        error = "line " + std::to_string(at_ + 2) + ": a line more than the stages hold";
        return false;
    }

  private:
    std::vector<std::string_view> lines_;
    size_t at_ = 0;
};

bool parse_stage(Lines& lines, int32_t number, bool whole_document, DocumentStage& stage,
                 std::string& error) {
    int64_t value = 0;
    if (!lines.number("stage", number, number, value, error)) return false;
    std::string_view line;
    if (!lines.next("size", line, error)) return false;
    const std::vector<std::string_view> sizes = split(line, ' ');
    int64_t size[4] = {};
    if (sizes.size() != 4) return lines.fail("four sizes expected", error);
    for (size_t i = 0; i < 4; ++i) {
        if (!parse_int(sizes[i], 0, kMaxCells, size[i])) {
            return lines.fail("a size is not a number 0.." + std::to_string(kMaxCells), error);
        }
    }
    StageState state;
    state.stage_width = static_cast<int32_t>(size[0]);
    state.stage_height = static_cast<int32_t>(size[1]);
    state.framed_width = static_cast<int32_t>(size[2]);
    state.framed_height = static_cast<int32_t>(size[3]);

    stage = DocumentStage{};
    if (whole_document) {
        if (!lines.number("changed", 0, 1, value, error)) return false;
        stage.changed = value == 1;
        std::string original;
        if (!lines.text("original", original, error)) return false;
        if (!original.empty()) stage.original = std::make_shared<const std::string>(original);
        if (!stage.changed && !stage.original) {
            return lines.fail("an unchanged stage without its bytes in the file", error);
        }
        if (!lines.next("cut", line, error)) return false;
        for (const std::string_view cut : split(line, ' ')) {
            const size_t colon = cut.find(':');
            CutRow row;
            int64_t row_number = 0, cells = 0;
            if (colon == std::string_view::npos ||
                !parse_int(cut.substr(0, colon), 1, kMaxCells, row_number) ||
                !parse_int(cut.substr(colon + 1), 1, stagefile::max_row_cells, cells)) {
                return lines.fail("a cut row is not ROW:CELLS", error);
            }
            row.row = static_cast<int32_t>(row_number);
            row.cells = static_cast<int32_t>(cells);
            stage.cut_rows.push_back(row);
        }
    }
    for (int32_t y = 1; y <= kMaxCells; ++y) {
        if (!lines.next("row", line, error)) return false;
        const std::vector<std::string_view> cells = split(line, ' ');
        if (cells.size() != static_cast<size_t>(kMaxCells)) {
            return lines.fail(std::to_string(kMaxCells) + " cells expected, " +
                                  std::to_string(cells.size()) + " found",
                              error);
        }
        for (int32_t x = 1; x <= kMaxCells; ++x) {
            const std::string_view cell = cells[static_cast<size_t>(x - 1)];
            std::string& out = state.edit_grid[x][y];
            if (cell == "%") {
                out.clear();
            } else if (!unescaped(cell, out)) {
                return lines.fail("a damaged %XX escape", error);
            }
        }
    }
    stage.state = std::make_shared<const StageState>(std::move(state));
    return true;
}

}  // namespace

std::string recovery_folder(const char* xdg_state_home, const char* home) {
    // The XDG rule: a relative path in the variable is ignored.
    if (xdg_state_home && xdg_state_home[0] == '/') {
        return std::string(xdg_state_home) + "/draskel";
    }
    if (home && home[0] == '/') return std::string(home) + "/.local/state/draskel";
    return {};
}

std::string recovery_file(const std::string& folder) {
    return folder.empty() ? std::string() : folder + "/recovery.txt";
}

Recovery stage_recovery(const StageState& stage) {
    Recovery recovery;
    recovery.stage = stage;
    return recovery;
}

Recovery document_recovery(const StageDocument& document) {
    Recovery recovery;
    recovery.whole_document = true;
    recovery.path = document.path();
    recovery.document = document.snapshot();
    return recovery;
}

std::string format_recovery(const Recovery& recovery) {
    std::string out = std::string(kFirstLine) + "\n";
    if (recovery.whole_document) {
        const DocumentState& document = recovery.document;
        out += "kind=document\n";
        out += "path=" + escaped(recovery.path) + "\n";
        out += "current=" + std::to_string(document.current + 1) + "\n";
        out += "leading=" + escaped(document.leading) + "\n";
        out += "trailing=" + escaped(document.trailing) + "\n";
        out += "stages=" + std::to_string(document.stages.size()) + "\n";
        for (size_t i = 0; i < document.stages.size(); ++i) {
            const DocumentStage& stage = document.stages[i];
            format_stage(out, static_cast<int32_t>(i + 1), *stage.state, &stage);
        }
    } else {
        out += "kind=stage\n";
        format_stage(out, 1, recovery.stage, nullptr);
    }
    return out + "end=" + hex_sum(out) + "\n";
}

bool parse_recovery(std::string_view text, Recovery& recovery, std::string& error) {
    if (!text.starts_with(std::string(kFirstLine) + "\n")) {
        error = "not a recovery file of this editor (its first line is not \"" +
                std::string(kFirstLine) + "\")";
        return false;
    }
    // The end line comes last; a file cut anywhere has none.
    const size_t end_line = text.ends_with('\n') ? text.rfind('\n', text.size() - 2) : 0;
    if (end_line == 0 || end_line == std::string_view::npos ||
        !text.substr(end_line + 1).starts_with("end=")) {
        error = "the file is cut short (its last line is not the end line)";
        return false;
    }
    const std::string_view body = text.substr(0, end_line + 1);
    if (text.substr(end_line + 1) != "end=" + hex_sum(body) + "\n") {
        error = "the file is damaged (its end sum does not match what it holds)";
        return false;
    }

    Lines lines(body.substr(kFirstLine.size() + 1));
    std::string_view line;
    Recovery read;
    if (!lines.next("kind", line, error)) return false;
    if (line != "stage" && line != "document") {
        return lines.fail("kind is neither \"stage\" nor \"document\"", error);
    }
    read.whole_document = line == "document";
    if (!read.whole_document) {
        DocumentStage stage;
        if (!parse_stage(lines, 1, false, stage, error)) return false;
        read.stage = *stage.state;
    } else {
        int64_t current = 0, stages = 0;
        DocumentState& document = read.document;
        if (!lines.text("path", read.path, error) ||
            !lines.number("current", 1, kMaxStages, current, error) ||
            !lines.text("leading", document.leading, error) ||
            !lines.text("trailing", document.trailing, error) ||
            !lines.number("stages", current, kMaxStages, stages, error)) {
            return false;
        }
        document.current = static_cast<int32_t>(current - 1);
        document.stages.resize(static_cast<size_t>(stages));
        for (int32_t i = 0; i < stages; ++i) {
            if (!parse_stage(lines, i + 1, true, document.stages[static_cast<size_t>(i)], error)) {
                return false;
            }
        }
    }
    if (!lines.done(error)) return false;
    recovery = std::move(read);
    return true;
}

bool write_recovery(const std::string& file, const Recovery& recovery, std::string& error) {
    if (file.empty()) {
        error = "no folder for the recovery file (neither XDG_STATE_HOME nor HOME is set)";
        return false;
    }
    std::error_code code;
    const fs::path folder = fs::path(file).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, code)) {
        fs::create_directories(folder, code);
        if (code) {
            error = folder.string() + ": the folder could not be made: " + code.message();
            return false;
        }
    }
    return replace_file(file, format_recovery(recovery), error);
}

bool read_recovery(const std::string& file, Recovery& recovery, std::string& error) {
    std::string text, reason;
    if (!read_whole_file(file, kMaxRecoveryBytes, text, error)) return false;
    if (text.size() > kMaxRecoveryBytes) {
        error = file + ": is larger than " + stagefile::byte_size_text(kMaxRecoveryBytes) +
                ", the most it may hold";
        return false;
    }
    if (!parse_recovery(text, recovery, reason)) {
        error = file + ": " + reason;
        return false;
    }
    return true;
}

bool remove_recovery(const std::string& file, std::string& error) {
    std::error_code code;
    fs::remove(file, code);
    if (code && code != std::errc::no_such_file_or_directory) {
        error = file + ": the recovery file could not be removed: " + code.message();
        return false;
    }
    return true;
}

bool recovery_exists(const std::string& file) {
    std::error_code code;
    return !file.empty() && fs::is_regular_file(file, code);
}

}  // namespace vorne::editor
