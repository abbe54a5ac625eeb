#include "stagefile/check.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "stagefile/chars.h"
#include "stagefile/count.h"

namespace vorne::stagefile {
namespace {

constexpr int32_t max_rows = 400;
constexpr int32_t max_row_length = 400;
constexpr std::uintmax_t max_file_bytes = 64u << 20;

struct Line {
    std::string_view text;
    int32_t number = 0;
    bool lone_line_feed = false;  // holds an LF not preceded by a CR
};

// Lines as the game reads them: each ends at CR or CR LF, an LF alone is a
// character of the line, the last line may end at the end of the file.
std::vector<Line> split_lines(std::string_view bytes) {
    std::vector<Line> lines;
    size_t start = 0, i = 0;
    bool lone = false;
    while (i < bytes.size()) {
        char c = bytes[i];
        if (c == '\r') {
            lines.push_back(
                {bytes.substr(start, i - start), static_cast<int32_t>(lines.size() + 1), lone});
            i += (i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
            lone = false;
            continue;
        }
        if (c == '\n') lone = true;
        ++i;
    }
    if (start < bytes.size())
        lines.push_back({bytes.substr(start), static_cast<int32_t>(lines.size() + 1), lone});
    return lines;
}

// What a stage may hold of each letter, and its name in messages.
struct Limit {
    char letter;
    int32_t capacity;
    const char* name;
};
constexpr std::array<Limit, 11> limits{{{'a', 400, "walls"},
                                        {'c', 400, "ladders"},
                                        {'d', 400, "coins"},
                                        {'g', 400, "enemies of kind g"},
                                        {'h', 400, "enemies of kind h"},
                                        {'i', 399, "enemies of kind i"},
                                        {'j', 400, "enemies of kind j"},
                                        {'k', 400, "keys of kind 1"},
                                        {'l', 400, "lock blocks of kind 1"},
                                        {'m', 400, "keys of kind 2"},
                                        {'n', 400, "lock blocks of kind 2"}}};

void check_stage(CheckResult& result, int32_t stage, int32_t count_line,
                 const std::vector<std::vector<std::string_view>>& rows,
                 const std::vector<int32_t>& row_lines) {
    auto add = [&](int32_t line, std::string problem) {
        result.findings.push_back({stage, line, std::move(problem)});
    };
    if (rows.empty()) {
        add(count_line, "a stage of 0 rows: it has no door, so it can never be cleared");
        return;
    }

    // The width of a stage is the length of its last row.
    size_t width = rows.back().size();
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != width) {
            add(row_lines[r], "row " + std::to_string(r + 1) + " has " +
                                  std::to_string(rows[r].size()) + " cells, the last row " +
                                  std::to_string(width) + " (rows of unequal length)");
        }
    }

    auto is_wall = [](std::string_view cell) { return cell == "a"; };
    bool framed = width > 0;
    for (size_t r = 0; r < rows.size() && framed; ++r) {
        const auto& row = rows[r];
        bool edge_row = r == 0 || r + 1 == rows.size();
        if (row.empty() || !is_wall(row.front()) || !is_wall(row.back())) framed = false;
        for (size_t c = 0; edge_row && framed && c < row.size(); ++c)
            if (!is_wall(row[c])) framed = false;
    }
    if (!framed)
        add(0,
            "not framed by walls (the first and last rows and both ends of every row should be "
            "\"a\")");

    std::array<int64_t, 128> counts{};
    for (const auto& row : rows)
        for (std::string_view cell : row)
            if (cell.size() == 1 && static_cast<unsigned char>(cell[0]) < 128) ++counts[cell[0]];

    if (counts['b'] == 0) add(0, "no player start (\"b\")");
    if (counts['b'] > 1)
        add(0, std::to_string(counts['b']) + " player starts (\"b\"): the last one wins");
    if (counts['f'] == 0) add(0, "no door (\"f\"): the stage can never be cleared");
    if (counts['f'] > 1) add(0, std::to_string(counts['f']) + " doors (\"f\"): the last one wins");
    if (counts['e'] > 1)
        add(0, std::to_string(counts['e']) + " power items (\"e\"): the last one wins");
    if (counts['d'] == 0) add(0, "no coin (\"d\"): the door never opens");
    for (const Limit& limit : limits) {
        if (counts[limit.letter] > limit.capacity) {
            add(0, std::to_string(counts[limit.letter]) + " " + limit.name + ": more than the " +
                       std::to_string(limit.capacity) + " a stage can hold (the game refuses it)");
        }
    }
}

}  // namespace

CheckResult check_stage_bytes(std::string_view bytes) {
    CheckResult result;
    // The game skips a UTF-8 byte order mark at the start.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<Line> lines = split_lines(bytes);

    if (bytes.find('\r') == std::string_view::npos && bytes.find('\n') != std::string_view::npos) {
        result.findings.push_back(
            {0, 0,
             "its lines end in LF alone (as a file saved on Linux); stage files need CR LF "
             "line ends, and the game refuses this file"});
        return result;
    }

    size_t next = 0;
    int32_t stage = 0;
    while (next < lines.size()) {
        ++stage;
        const Line& count_line = lines[next++];
        auto note_lone = [&](const Line& line) {
            if (line.lone_line_feed) {
                result.findings.push_back(
                    {stage, line.number,
                     "the line holds an LF without a CR: the game reads it as part of the line"});
            }
        };
        note_lone(count_line);
        int64_t count = lenient_count(count_line.text);
        if (count < 0 || count > max_rows) {
            result.findings.push_back({stage, count_line.number,
                                       "the row count " + std::to_string(count) +
                                           " is outside 0..400 (the game refuses the file)"});
            break;
        }
        std::vector<std::vector<std::string_view>> rows;
        std::vector<int32_t> row_lines;
        bool complete = true;
        for (int64_t r = 0; r < count; ++r) {
            if (next >= lines.size()) {
                result.findings.push_back({stage, count_line.number,
                                           "the file ends after " + std::to_string(r) +
                                               " of the stage's " + std::to_string(count) +
                                               " rows (the game refuses the file)"});
                complete = false;
                break;
            }
            const Line& row = lines[next++];
            note_lone(row);
            rows.push_back(split_characters(row.text));
            row_lines.push_back(row.number);
            if (rows.back().size() > static_cast<size_t>(max_row_length)) {
                result.findings.push_back({stage, row.number,
                                           "a row of " + std::to_string(rows.back().size()) +
                                               " characters: more than 400 (the game refuses "
                                               "the file)"});
            }
        }
        if (!complete) break;
        check_stage(result, stage, count_line.number, rows, row_lines);
    }
    result.stages = stage;
    if (stage == 0) result.findings.push_back({0, 0, "the file is empty: it holds no stage"});
    return result;
}

CheckResult check_stage_file(const std::string& path) {
    CheckResult result;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.readable = false;
        result.error = path + ": is a folder, not a stage file";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.readable = false;
        result.error = path + ": " + std::strerror(errno);
        return result;
    }
    auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > max_file_bytes) {
        result.readable = false;
        result.error = path + ": too large for a stage file";
        return result;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        result.readable = false;
        result.error = path + ": read error";
        return result;
    }
    return check_stage_bytes(bytes);
}

std::string format_findings(const CheckResult& result, std::string_view name) {
    if (!result.readable) return result.error + "\n";
    std::string out;
    for (const Finding& f : result.findings) {
        out += name;
        if (f.stage > 0) out += ": stage " + std::to_string(f.stage);
        if (f.line > 0) out += (f.stage > 0 ? ", line " : ": line ") + std::to_string(f.line);
        out += ": " + f.problem + "\n";
    }
    return out;
}

}  // namespace vorne::stagefile
