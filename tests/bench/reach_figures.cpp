// Time and size of the reachability search of --check, stage by stage, for
// the figures in a change's notes (it asserts nothing). With no argument it
// searches the bundled stages, then a few made-up ones of growing size.
// Build and run a Release build for figures that mean anything:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target reach_figures
//   build/bench/tests/reach_figures [STAGEFILE]
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "game/proof/reach.h"
#include "stagefile/blocks.h"
#include "stagefile/reader.h"

using namespace vorne;

namespace {

void measure(const std::string& name, const std::vector<std::string>& rows) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    const ReachResult reach = search_reach(rows);
    const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const char* outcome = !reach.searched ? "not searched" : reach.proved ? "proved" : "not proved";
    std::printf("%-22s %3zu x %-3zu %8.1f ms %8.1f ms cpu %8lld places  %s, %zu out of reach%s\n",
                name.c_str(), rows.empty() ? 0 : rows.front().size(), rows.size(), ms, cpu_ms,
                static_cast<long long>(reach.places), outcome, reach.unreachable.size(),
                reach.door_lost_after.empty() ? "" : ", door lost");
    std::fflush(stdout);
}

void measure_file(const std::string& path) {
    std::printf("%s\n", path.c_str());
    stagefile::Reader reader;
    std::string error;
    if (!reader.open(path, &error)) {
        std::printf("%s\n", error.c_str());
        return;
    }
    int32_t count = 0;
    if (stagefile::read_playable_first_count(reader, count)) return;
    std::string line;
    std::vector<std::string_view> cells;
    for (int32_t stage = 1;; ++stage) {
        std::vector<std::string> rows;
        for (int32_t r = 1; r <= count; ++r) {
            if (stagefile::read_row(reader, r, count, line, cells)) return;
            rows.push_back(line);
        }
        measure("stage " + std::to_string(stage), rows);
        bool end_of_file = false;
        if (stagefile::read_next_count(reader, end_of_file, count) || end_of_file) return;
    }
}

// A stage of n x n cells (n at most 36: a stage holds at most 400 walls):
// the frame and a floor every fourth row, joined by ladders at alternate
// ends, a coin on every floor, a key at the bottom for a lock on the way up
// to the door, and an enemy.
std::vector<std::string> tower(int32_t n) {
    const auto size = static_cast<size_t>(n);
    std::vector<std::string> rows(size, "a" + std::string(size - 2, 'z') + "a");
    rows.front() = rows.back() = std::string(size, 'a');
    bool left = true;
    size_t top = size - 1;
    for (size_t r = size - 5; r >= 4; r -= 4) {
        top = r;
        rows[r] = std::string(size, 'a');
        const size_t ladder = left ? 2 : size - 3;
        for (size_t k = r; k <= r + 3; ++k)
            rows[k][ladder] = 'c';
        rows[r - 1][size / 2] = 'd';
        left = !left;
    }
    rows[size - 2][1] = 'b';
    rows[size - 2][size / 2] = 'k';
    rows[size - 2][size / 2 + 2] = 'd';
    rows[top - 1][size / 2 + 1] = 'l';
    rows[top - 1][size / 2 + 2] = 'f';
    rows[size - 2][size - 3] = 'g';
    return rows;
}

// A stage of n x n cells with nothing but its frame (n at most 100): the
// player walks the bottom row, past a coin at its far end.
std::vector<std::string> hall(int32_t n) {
    const auto size = static_cast<size_t>(n);
    std::vector<std::string> rows(size, "a" + std::string(size - 2, 'z') + "a");
    rows.front() = rows.back() = std::string(size, 'a');
    rows[size - 2][1] = 'b';
    rows[size - 2][size - 2] = 'd';
    rows[size - 2][size - 3] = 'f';
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    measure_file(argc > 1 ? argv[1] : VORNE_REACH_STAGES);
    for (int32_t n : {20, 28, 36})
        measure("tower " + std::to_string(n), tower(n));
    for (int32_t n : {20, 50, 100})
        measure("hall " + std::to_string(n), hall(n));
}
