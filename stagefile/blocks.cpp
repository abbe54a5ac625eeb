#include "stagefile/blocks.h"

#include "stagefile/chars.h"
#include "stagefile/count.h"
#include "stagefile/letters.h"

namespace vorne::stagefile {
namespace {

Refusal reader_problem(const Reader& reader) {
    return Refusal{reader.problem_line(), reader.problem()};
}

std::optional<Refusal> read_count(Reader& reader, int32_t& rows) {
    rows = 0;
    std::string line;
    if (!reader.read_line(line)) {
        if (reader.failed()) return reader_problem(reader);
        return Refusal{reader.lines_read() + 1,
                       "the file ends where the stage's row count should be"};
    }
    const int64_t count = line.empty() ? 0 : lenient_count(line);
    if (count < 0) {
        return Refusal{reader.lines_read(),
                       "the row count " + std::to_string(count) + " is negative"};
    }
    if (count > max_rows) {
        return Refusal{reader.lines_read(), "the row count " + std::to_string(count) +
                                                " is more than " + std::to_string(max_rows)};
    }
    rows = static_cast<int32_t>(count);
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> read_first_count(Reader& reader, int32_t& rows) {
    rows = 0;
    reader.skip_byte_order_mark();
    if (reader.at_end()) {
        if (reader.failed()) return reader_problem(reader);
        return Refusal{0, "the file is empty: it holds no stage"};
    }
    bool has_cr = false, has_lf = false;
    if (!reader.scan_line_ends(has_cr, has_lf)) return reader_problem(reader);
    if (has_lf && !has_cr) {
        return Refusal{0,
                       "its lines end in LF alone (as a file saved on Linux); stage files "
                       "need CR LF line ends"};
    }
    return read_count(reader, rows);
}

std::optional<Refusal> read_playable_first_count(Reader& reader, int32_t& rows) {
    std::optional<Refusal> refusal = read_first_count(reader, rows);
    if (refusal || rows > 0) return refusal;
    return Refusal{reader.lines_read(),
                   "the first stage's row count is 0 (the line does not read as a number of at "
                   "least 1): this is not a stage file the game can play"};
}

std::optional<Refusal> read_next_count(Reader& reader, bool& end_of_file, int32_t& rows) {
    end_of_file = false;
    if (reader.at_end()) {
        if (reader.failed()) {
            rows = 0;
            return reader_problem(reader);
        }
        end_of_file = true;
        return std::nullopt;
    }
    return read_count(reader, rows);
}

std::optional<Refusal> read_row(Reader& reader, int32_t row, int32_t rows, std::string& line,
                                std::vector<std::string_view>& cells) {
    cells.clear();
    if (!reader.read_line(line)) {
        if (reader.failed()) return reader_problem(reader);
        std::string problem = "the file ends after " + std::to_string(row - 1) +
                              " of the stage's " + std::to_string(rows) + " rows";
        if (reader.saw_lone_line_feed()) {
            problem +=
                " (its lines end in LF alone, as a file saved on Linux; stage files need CR LF "
                "line ends)";
        }
        return Refusal{reader.lines_read(), std::move(problem)};
    }
    cells = split_characters(line);
    if (cells.size() > static_cast<size_t>(max_row_cells)) {
        const std::string size = std::to_string(cells.size());
        cells.clear();
        return Refusal{reader.lines_read(), "row " + std::to_string(row) + " has " + size +
                                                " characters (at most " +
                                                std::to_string(max_row_cells) + ")"};
    }
    return std::nullopt;
}

}  // namespace vorne::stagefile
