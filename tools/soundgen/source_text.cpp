#include "tools/soundgen/source_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vorne::soundgen {
namespace {

std::string describe_location(const std::string& file, int line, const std::string& problem) {
    if (line <= 0) return file + ": " + problem;
    return file + ":" + std::to_string(line) + ": " + problem;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

SourceError::SourceError(const std::string& file, int line, const std::string& problem)
    : std::runtime_error(describe_location(file, line, problem)),
      file_(file),
      line_(line),
      problem_(problem) {}

std::vector<SourceLine> split_source(std::string_view text) {
    std::vector<SourceLine> lines;
    int number = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        ++number;
        SourceLine line;
        line.number = number;
        size_t i = 0;
        while (i < raw.size()) {
            while (i < raw.size() && is_space(raw[i]))
                ++i;
            if (i >= raw.size() || raw[i] == '#') break;
            size_t start = i;
            while (i < raw.size() && !is_space(raw[i]))
                ++i;
            line.words.emplace_back(raw.substr(start, i - start));
        }
        if (!line.words.empty()) lines.push_back(std::move(line));
        if (end == text.size()) break;
        pos = end + 1;
    }
    return lines;
}

void SourceReader::fail(int line, const std::string& problem) const {
    throw SourceError(file_, line, problem);
}

double SourceReader::number(const SourceLine& line, size_t index, const std::string& what,
                            double min, double max) const {
    if (index >= line.words.size()) fail(line.number, "'" + line.words[0] + "' needs " + what);
    const std::string& word = line.words[index];
    double value = 0;
    const char* first = word.data();
    const char* last = word.data() + word.size();
    if (!word.empty() && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) {
        fail(line.number, "'" + word + "' is not a number (" + what + ")");
    }
    if (value < min || value > max) {
        fail(line.number, what + " " + word + " is out of range (" + format_number(min) + " to " +
                              format_number(max) + ")");
    }
    return value;
}

int SourceReader::integer(const SourceLine& line, size_t index, const std::string& what, int min,
                          int max) const {
    if (index >= line.words.size()) fail(line.number, "'" + line.words[0] + "' needs " + what);
    const std::string& word = line.words[index];
    int value = 0;
    const char* first = word.data();
    const char* last = word.data() + word.size();
    if (!word.empty() && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) {
        fail(line.number, "'" + word + "' is not a whole number (" + what + ")");
    }
    if (value < min || value > max) {
        fail(line.number, what + " " + word + " is out of range (" + std::to_string(min) + " to " +
                              std::to_string(max) + ")");
    }
    return value;
}

void SourceReader::expect_arguments(const SourceLine& line, size_t count) const {
    size_t given = line.words.size() - 1;
    if (given == count) return;
    fail(line.number, "'" + line.words[0] + "' takes " + std::to_string(count) + " value" +
                          (count == 1 ? "" : "s") + ", not " + std::to_string(given));
}

void SourceReader::expect_at_least(const SourceLine& line, size_t count) const {
    if (line.words.size() - 1 >= count) return;
    fail(line.number, "'" + line.words[0] + "' needs at least " + std::to_string(count) + " value" +
                          (count == 1 ? "" : "s"));
}

std::optional<int> parse_note_name(std::string_view word) {
    if (word.size() < 2) return std::nullopt;
    static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    char letter = word[0];
    if (letter >= 'A' && letter <= 'G') letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'g') return std::nullopt;
    int key = kSemitones[letter - 'a'];
    size_t i = 1;
    if (word[i] == '#') {
        ++key;
        ++i;
    } else if (word[i] == 'b' && i + 1 < word.size()) {
        --key;
        ++i;
    }
    if (i >= word.size()) return std::nullopt;
    int octave = 0;
    auto [ptr, ec] = std::from_chars(word.data() + i, word.data() + word.size(), octave);
    if (ec != std::errc() || ptr != word.data() + word.size()) return std::nullopt;
    if (octave < -1 || octave > 9) return std::nullopt;
    int midi = (octave + 1) * 12 + key;
    if (midi < 0 || midi > 127) return std::nullopt;
    return midi;
}

double key_frequency(double key) {
    return 440.0 * std::pow(2.0, (key - 69.0) / 12.0);
}

std::string format_number(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", value);
    return buf;
}

}  // namespace vorne::soundgen
