// Reading the line-based text sources of our sounds and music: comments,
// words, numbers, note names, and errors that name the file and the line.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorne::soundgen {

// A problem in a source file. what() reads "FILE:LINE: PROBLEM" (no line
// part when the problem concerns the whole file).
class SourceError : public std::runtime_error {
  public:
    SourceError(const std::string& file, int line, const std::string& problem);

    const std::string& file() const { return file_; }
    int line() const { return line_; }
    const std::string& problem() const { return problem_; }

  private:
    std::string file_;
    int line_;
    std::string problem_;
};

// One non-blank line of a source, split into words. A word that starts
// with '#' starts a comment that runs to the end of the line, so sharps
// inside note names ("c#5") stay part of their word.
struct SourceLine {
    int number = 0;  // 1-based line number in the file
    std::vector<std::string> words;
};

std::vector<SourceLine> split_source(std::string_view text);

// Error helpers bound to one file.
class SourceReader {
  public:
    explicit SourceReader(std::string file) : file_(std::move(file)) {}

    const std::string& file() const { return file_; }

    [[noreturn]] void fail(int line, const std::string& problem) const;

    // The whole word as a number, else an error naming what was expected.
    double number(const SourceLine& line, size_t index, const std::string& what, double min,
                  double max) const;
    int integer(const SourceLine& line, size_t index, const std::string& what, int min,
                int max) const;

    // Fails unless the line has exactly `count` words after its keyword.
    void expect_arguments(const SourceLine& line, size_t count) const;
    // Fails unless the line has at least `count` words after its keyword.
    void expect_at_least(const SourceLine& line, size_t count) const;

  private:
    std::string file_;
};

// "c4" is middle C (MIDI key 60); sharps '#', flats 'b': "f#3", "bb4".
// Octaves run from -1 to 9. Returns nothing for anything else.
std::optional<int> parse_note_name(std::string_view word);

// Frequency in Hz of a MIDI key (A4 = key 69 = 440 Hz).
double key_frequency(double key);

// Shortest readable form of a number for messages ("0.25", "3").
std::string format_number(double value);

}  // namespace vorne::soundgen
