// The bundled content as the tests see it: the stage file split into its
// blocks, recorded inputs, and the built game run headless with its trace read
// back tick by tick.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace vorne::content {

// Game states as the trace reports them.
enum : int {
    play = 0,
    title = 1,
    miss = 2,
    game_over = 3,
    intro = 4,
    stage_clear = 5,
    ending = 6,
};

inline std::string source_dir() {
    const char* dir = std::getenv("VORNE_SOURCE_DIR");
    return dir ? dir : ".";
}

inline std::string game_program() {
    return testing::bin_dir() + "/vorne1.0";
}
inline std::string bundled_map() {
    return source_dir() + "/assets/map.dat";
}

inline std::string replay_path(int stage) {
    char name[32];
    std::snprintf(name, sizeof name, "stage%02d.txt", stage);
    return source_dir() + "/assets/replays/" + name;
}

inline std::string whole_game_replay() {
    return source_dir() + "/assets/replays/game.txt";
}

// One stage of a stage file: its count line and rows as written (without the
// CR LF), and the block's exact text.
struct StageBlock {
    std::string count_line;
    std::vector<std::string> rows;
    std::string text;
};

// Splits a stage file of CR LF lines into blocks. Fails the test when a line
// does not end in CR LF or the file ends inside a block.
inline std::vector<StageBlock> split_stages(const std::string& file) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < file.size()) {
        size_t end = file.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line " << lines.size() + 1 << " does not end in CR LF";
            return {};
        }
        lines.push_back(file.substr(at, end - at));
        at = end + 2;
    }
    std::vector<StageBlock> blocks;
    for (size_t i = 0; i < lines.size();) {
        StageBlock block;
        block.count_line = lines[i];
        char* end = nullptr;
        long n = std::strtol(lines[i].c_str(), &end, 10);
        if (lines[i].empty() || *end != '\0' || n <= 0 || i + 1 + n > lines.size()) {
            ADD_FAILURE() << "line " << i + 1 << " is not the count of the rows that follow: \""
                          << lines[i] << "\"";
            return blocks;
        }
        block.text = lines[i] + "\r\n";
        for (long r = 1; r <= n; ++r) {
            block.rows.push_back(lines[i + r]);
            block.text += lines[i + r] + "\r\n";
        }
        blocks.push_back(block);
        i += 1 + n;
    }
    return blocks;
}

// One tick of recorded input.
struct Input {
    int sx = 0, sy = 0, buttons = 0;
    bool operator==(const Input&) const = default;
};

// Expands a recorded input file ("[N*]SX SY B" lines, # comments) tick by tick.
inline std::vector<Input> expand_inputs(const std::string& text) {
    std::vector<Input> ticks;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        int count = 1;
        size_t star = line.find('*');
        if (star != std::string::npos) {
            count = std::atoi(line.substr(0, star).c_str());
            line = line.substr(star + 1);
        }
        Input input;
        std::istringstream fields(line);
        if (!(fields >> input.sx >> input.sy >> input.buttons) || count < 1) {
            ADD_FAILURE() << "bad input line: " << line;
            return ticks;
        }
        ticks.insert(ticks.end(), count, input);
    }
    return ticks;
}

inline void PrintTo(const Input& input, std::ostream* os) {
    *os << input.sx << " " << input.sy << " " << input.buttons;
}

inline std::string write_inputs(const std::vector<Input>& ticks) {
    std::string text;
    for (const Input& t : ticks)
        text += std::to_string(t.sx) + " " + std::to_string(t.sy) + " " +
                std::to_string(t.buttons) + "\n";
    return text;
}

// The fields of one trace line that the tests read.
struct Tick {
    int tick = 0, state = 0, stage = 0, score = 0, lives = 0, keys1 = 0, keys2 = 0, pose = 0;
    int door_open = 0, power = 0;
    int player[4] = {0, 0, 0, 0};
};

inline int json_int(const std::string& line, const std::string& key) {
    size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << key << " in " << line.substr(0, 80);
        return 0;
    }
    return std::atoi(line.c_str() + at + key.size() + 3);
}

inline Tick parse_tick(const std::string& line) {
    Tick t;
    t.tick = json_int(line, "tick");
    t.state = json_int(line, "state");
    t.stage = json_int(line, "stage");
    t.score = json_int(line, "score");
    t.lives = json_int(line, "lives");
    t.keys1 = json_int(line, "keys1");
    t.keys2 = json_int(line, "keys2");
    t.pose = json_int(line, "pose");
    t.door_open = json_int(line, "door_open");
    t.power = json_int(line, "power");
    size_t at = line.find("\"player\":[");
    if (at != std::string::npos) {
        const char* p = line.c_str() + at + 10;
        for (int& v : t.player) {
            char* end = nullptr;
            v = static_cast<int>(std::strtol(p, &end, 10));
            p = end + 1;
        }
    }
    return t;
}

// A headless run in a folder of its own.
class HeadlessRun {
  public:
    explicit HeadlessRun(const std::string& name) {
        dir_ = ::testing::TempDir() + "content_" + name;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }

    // Runs the game headless on the inputs for the given ticks with a trace;
    // extra options go before them. Fails the test on a bad exit.
    std::vector<Tick> play(const std::vector<Input>& inputs, int ticks,
                           std::vector<std::string> options = {},
                           const std::string& program = game_program()) {
        write("inputs.txt", write_inputs(inputs));
        options.insert(options.end(), {"--headless", "--inputs", path("inputs.txt"), "--ticks",
                                       std::to_string(ticks), "--trace", path("trace.jsonl")});
        result = testing::run_program(program, options, dir_);
        EXPECT_EQ(result.status, 0) << result.err;
        std::vector<Tick> trace;
        for (const std::string& line : testing::lines_of(testing::read_file(path("trace.jsonl"))))
            trace.push_back(parse_tick(line));
        EXPECT_EQ(trace.size(), static_cast<size_t>(ticks));
        return trace;
    }

    testing::ProgramResult result;

  private:
    std::string dir_;
};

// The ticks (1-based) at which the state changes from one value to another.
inline std::vector<int> transitions(const std::vector<Tick>& trace, int from, int to) {
    std::vector<int> ticks;
    for (size_t i = 1; i < trace.size(); ++i)
        if (trace[i - 1].state == from && trace[i].state == to) ticks.push_back(trace[i].tick);
    return ticks;
}

// Ticks of a stage introduction, after the tick that leaves the title (or the
// stage clear) for it; the last one builds the stage and starts play.
constexpr int intro_ticks = 50;

}  // namespace vorne::content
