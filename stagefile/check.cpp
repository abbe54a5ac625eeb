#include "stagefile/check.h"

#include <algorithm>
#include <array>

#include "stagefile/blocks.h"
#include "stagefile/letters.h"

namespace vorne::stagefile {
namespace {

class Findings {
  public:
    explicit Findings(CheckResult& result) : result_(result) {}
    bool room() const { return result_.findings.size() < max_listed_findings; }
    void add(int32_t stage, int32_t line, std::string problem) {
        if (room()) {
            result_.findings.push_back({stage, line, std::move(problem)});
        } else {
            ++result_.unlisted;
        }
    }
    // The game's refusal is always kept, as the last finding.
    void refuse(int32_t stage, const Refusal& refusal) {
        result_.findings.push_back({stage, refusal.line, refusal.problem, true});
    }

  private:
    CheckResult& result_;
};

// What the check keeps of a row while the stage is read: not the row itself.
struct RowSummary {
    int32_t line = 0;
    int32_t cells = 0;
    bool all_walls = true;     // every cell is "a" (an empty row too)
    bool walled_ends = false;  // the first and the last cell are "a"
};

// How many cells of each object a stage holds, by the order of the letters.
using Counts = std::array<int32_t, letters.size()>;

bool is_wall(std::string_view cell) {
    return cell == letter(Object::wall).text;
}

// A letter as the findings quote it: "\"b\"".
std::string quoted(Object object) {
    return "\"" + std::string(letter(object).text) + "\"";
}

// "2 doors (\"f\"): the last one wins".
std::string last_one_wins(Object object, int32_t count) {
    return std::to_string(count) + " " + std::string(letter(object).name) + " (" + quoted(object) +
           "): the last one wins";
}

void check_stage(Findings& findings, int32_t stage, int32_t count_line,
                 const std::vector<RowSummary>& rows, const Counts& counts) {
    const auto count = [&](Object object) { return counts[static_cast<size_t>(object)]; };
    const auto add = [&](int32_t line, auto&& problem) {
        if (findings.room()) {
            findings.add(stage, line, problem());
        } else {
            findings.add(stage, line, {});
        }
    };
    if (rows.empty()) {
        add(count_line,
            [] { return "a stage of 0 rows: it has no door, so it can never be cleared"; });
        return;
    }

    // The width of a stage is the length of its last row.
    const int32_t width = rows.back().cells;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].cells != width) {
            add(rows[r].line, [&] {
                return "row " + std::to_string(r + 1) + " has " + std::to_string(rows[r].cells) +
                       " cells, the last row " + std::to_string(width) +
                       " (rows of unequal length)";
            });
        }
    }

    bool framed = width > 0 && rows.front().all_walls && rows.back().all_walls;
    for (const RowSummary& row : rows)
        framed = framed && row.walled_ends;
    if (!framed) {
        add(0, [] {
            const std::string rule =
                "the first and last rows and both ends of every row should be " +
                quoted(Object::wall);
            return "not framed by walls (" + rule + ")";
        });
    }

    const int32_t starts = count(Object::player_start);
    if (starts == 0) {
        add(0, [] { return "no player start (" + quoted(Object::player_start) + ")"; });
    }
    if (starts > 1) add(0, [&] { return last_one_wins(Object::player_start, starts); });
    const int32_t doors = count(Object::door);
    if (doors == 0) {
        add(0, [] {
            return "no door (" + quoted(Object::door) + "): the stage can never be cleared";
        });
    }
    if (doors > 1) add(0, [&] { return last_one_wins(Object::door, doors); });
    const int32_t power_items = count(Object::power_item);
    if (power_items > 1) add(0, [&] { return last_one_wins(Object::power_item, power_items); });
    if (count(Object::coin) == 0) {
        add(0, [] { return "no coin (" + quoted(Object::coin) + "): the door never opens"; });
    }
}

// Reads the stages of reader as the game does, one block after another,
// stopping where the game would refuse the file.
void check_stages(Reader& reader, CheckResult& result) {
    Findings findings(result);
    int32_t stage = 1;
    int32_t rows = 0;
    std::optional<Refusal> refusal = read_playable_first_count(reader, rows);
    if (refusal && refusal->line == 0) {
        // The file as a whole: empty, or with lines that end in LF alone.
        findings.refuse(0, *refusal);
        return;
    }
    std::string line;
    std::vector<std::string_view> cells;
    std::vector<RowSummary> summaries;
    Counts counts{};
    while (!refusal) {
        result.stages = stage;
        const int32_t count_line = reader.lines_read();
        summaries.clear();
        if (rows > 0) counts.fill(0);
        for (int32_t r = 1; r <= rows && !refusal; ++r) {
            refusal = read_row(reader, r, rows, line, cells);
            if (refusal) break;
            if (line.find('\n') != std::string::npos) {
                findings.add(stage, reader.lines_read(),
                             "the line holds an LF without a CR: the game reads it as part of "
                             "the line");
            }
            RowSummary row{reader.lines_read(), static_cast<int32_t>(cells.size())};
            row.walled_ends = !cells.empty() && is_wall(cells.front()) && is_wall(cells.back());
            for (size_t c = 0; c < cells.size(); ++c) {
                const std::string_view cell = cells[c];
                if (!is_wall(cell)) row.all_walls = false;
                const Letter& entry = letter_of(cell);
                const int32_t count = ++counts[static_cast<size_t>(entry.object)];
                if (entry.capacity > 0 && count > entry.capacity) {
                    refusal = Refusal{reader.lines_read(),
                                      capacity_problem(cell, r, static_cast<int32_t>(c) + 1)};
                    break;
                }
            }
            summaries.push_back(row);
        }
        if (refusal) break;
        check_stage(findings, stage, count_line, summaries, counts);
        bool end_of_file = false;
        refusal = read_next_count(reader, end_of_file, rows);
        if (end_of_file) return;
        ++stage;
    }
    // A refusal at the first count line of a file still counts its stage.
    result.stages = std::max(result.stages, stage);
    findings.refuse(stage, *refusal);
}

}  // namespace

CheckResult check_stage_bytes(std::string_view bytes) {
    CheckResult result;
    Reader reader;
    reader.open_text("", std::string(bytes));
    check_stages(reader, result);
    return result;
}

CheckResult check_stage_file(const std::string& path) {
    CheckResult result;
    Reader reader;
    if (!reader.open(path, &result.error)) {
        result.readable = false;
        return result;
    }
    check_stages(reader, result);
    return result;
}

std::string format_findings(const CheckResult& result, std::string_view name) {
    if (!result.readable) return result.error + "\n";
    std::string out;
    for (const Finding& f : result.findings) {
        out += name;
        if (f.stage > 0) out += ": stage " + std::to_string(f.stage);
        if (f.line > 0) out += (f.stage > 0 ? ", line " : ": line ") + std::to_string(f.line);
        out += ": " + f.problem + (f.refusal ? " (the game refuses the file here)\n" : "\n");
    }
    if (result.unlisted > 0) {
        out += std::string(name) + ": " + std::to_string(result.unlisted) +
               " more findings, not listed\n";
    }
    return out;
}

}  // namespace vorne::stagefile
