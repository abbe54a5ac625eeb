// Fuzz target: the fuzz input is a whole stage file. It is read as the game
// reads it over a game: the first count line, each stage built and its camera
// placed, some ticks of scrolling in every mode with shots in flight, a miss
// (rebuild and camera again), then the next count line, until the end of the
// file or a rejection; past the first max_stages stages only the building and
// the count lines, so that the whole file is read. Checks that a rejected file
// leaves the title state, that every built entry keeps its 20 x 20 shape, and
// that the game refuses the file exactly where stagefile::check_stage_bytes
// says it does, with the same message (or reads it whole when the check has
// no refusal); ASan and UBSan check that nothing reads or writes outside a
// table.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "game/world/builder.h"
#include "game/world/reset.h"
#include "game/world/scroll.h"
#include "game/world/stage_file.h"
#include "game/world/world.h"
#include "stagefile/check.h"
#include "stagefile/reader.h"

namespace {

using namespace vorne;

constexpr int32_t max_stages = 12;
constexpr int32_t ticks_per_stage = 60;
constexpr const char* file_name = "fuzz.dat";

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "stage_fuzzer: broken: %s\n", what);
        std::abort();
    }
}

// Small deterministic generator for the scroll moves, seeded by the input.
struct Moves {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 16;
    }
};

template <size_t N>
void check_entries(const std::array<Rect, N>& table, int32_t entries) {
    check(entries >= 0 && entries <= static_cast<int32_t>(N) - 1, "counter within its table");
    for (int32_t i = 1; i <= entries; ++i) {
        check(table[i].right == table[i].left + cell_size, "right = left + 20");
        check(table[i].bottom == table[i].top + cell_size, "bottom = top + 20");
    }
}

// After every placement: four counters count entries, seven stay one above.
void check_built(const World& w) {
    check(w.stage_rows >= 0 && w.stage_rows <= grid_capacity, "stage_rows in 0..400");
    check(w.row_length >= 0 && w.row_length <= grid_capacity, "row_length in 0..400");
    check_entries(w.wall_table, w.wall_count);
    check_entries(w.ladder_table, w.ladder_count);
    check_entries(w.coin_table, w.coin_count);
    check(w.enemy_g_count <= enemy_state_capacity, "kind g within its states");
    check_entries(w.enemy_g_table, w.enemy_g_count);
    check_entries(w.key1_table, w.key1_count - 1);
    check_entries(w.lock1_table, w.lock1_count - 1);
    check_entries(w.key2_table, w.key2_count - 1);
    check_entries(w.lock2_table, w.lock2_count - 1);
    check(w.enemy_h_count - 1 <= enemy_state_capacity, "kind h within its states");
    check(w.enemy_i_count - 1 <= enemy_state_capacity - 1, "kind i within its states");
    check(w.enemy_j_count - 1 <= enemy_state_capacity, "kind j within its states");
    check_entries(w.enemy_h_table, w.enemy_h_count - 1);
    check_entries(w.enemy_i_table, w.enemy_i_count - 1);
    check_entries(w.enemy_j_table, w.enemy_j_count - 1);
}

void check_title_state(const World& w, const stagefile::Reader& reader) {
    check(!reader.is_open(), "rejected file closed");
    check(w.game_state == state_title, "rejection returns to the title");
    check(w.stage_file_open == 0 && w.stage_rows == 0 && w.row_length == 0, "file state reset");
    check(w.wall_count == 1 && w.enemy_i_count == 1 && w.key2_count == 1, "counters reset");
    check(w.stage_grid[1][1].text() == "z" && w.stage_grid[400][400].text() == "z", "grid reset");
    check(w.wall_table[1] == Rect{} && w.player_rect == Rect{}, "tables reset");
}

void scroll_some(World& w, Moves& moves) {
    for (int32_t tick = 0; tick < ticks_per_stage; ++tick) {
        const uint32_t m = moves.next();
        // Shots in flight now and then, to follow vertical scrolling.
        w.player_shot_active = (m >> 3) & 1;
        const int32_t shooter = 1 + static_cast<int32_t>(m % enemy_state_capacity);
        w.enemy_i_state[shooter].enemy_shot_active = (m >> 4) & 1;
        const int32_t mode = 1 + static_cast<int32_t>(m % 6);
        const int32_t delta = (m & 0x100) ? player_step : -player_step;
        shift_positions(w, mode, delta);
    }
}

std::optional<StageError> reject(World& w, stagefile::Reader& reader, const StageError& error) {
    check(!error.message().empty() && !error.problem.empty(), "a message");
    reject_stage_file(w, reader);
    check_title_state(w, reader);
    return error;
}

// Reads the whole file; returns the game's refusal, or nothing when the file
// is read to its end.
std::optional<StageError> play_file(World& w, stagefile::Reader& reader, Moves& moves) {
    if (auto error = start_stage_file(w, reader)) return reject(w, reader, *error);
    for (int32_t stage = 1;; ++stage) {
        if (auto error = build_stage(w, reader)) return reject(w, reader, *error);
        check_built(w);
        if (stage > max_stages) {
            // Only the reading from here on: no play, no clearing.
            reset_counters(w);
            NextCount next = read_next_count(w, reader);
            if (next.end_of_file) return std::nullopt;
            if (next.error) return reject(w, reader, *next.error);
            ++w.stage_number;
            continue;
        }
        scroll_some(w, moves);
        // A miss: counters to 1, the stage again from the grid, the camera.
        reset_counters(w);
        w.enemy_i_state[1].enemy_shot_active = 0;
        w.player_shot_active = 0;
        rebuild_stage(w);
        place_camera(w);
        check_built(w);
        scroll_some(w, moves);
        // The stage is cleared.
        reset_counters(w);
        NextCount next = read_next_count(w, reader);
        if (next.end_of_file) return std::nullopt;
        if (next.error) return reject(w, reader, *next.error);
        hairetu(w);
        ++w.stage_number;
    }
}

// The game refuses the file where the check's refusal finding says, in the
// same words, and reads it whole when the check has none.
void check_agreement(std::string_view bytes, const std::optional<StageError>& refused) {
    const stagefile::CheckResult result = stagefile::check_stage_bytes(bytes);
    std::optional<StageError> expected;
    for (const stagefile::Finding& f : result.findings) {
        if (!f.refusal) continue;
        check(&f == &result.findings.back(), "the check lists findings after its refusal");
        expected = StageError{file_name, f.stage, f.line, f.problem};
    }
    if (result.clean()) check(!refused, "the game refuses a file the check finds clean");
    if (refused && expected && refused->message() == expected->message()) return;
    if (!refused && !expected) return;
    std::fprintf(stderr, "stage_fuzzer: the game: %s\nstage_fuzzer: the check: %s\n",
                 refused ? refused->message().c_str() : "(reads the whole file)",
                 expected ? expected->message().c_str() : "(no refusal)");
    check(false, "the game and the check disagree on where the file is refused");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<World> pristine = [] {
        auto w = make_world();
        reset_game(*w);
        return w;
    }();
    static std::unique_ptr<World> world = make_world();
    *world = *pristine;

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Moves moves{static_cast<uint32_t>(size) * 2654435761u};
    for (size_t i = 0; i < size && i < 16; ++i)
        moves.state = moves.state * 31 + data[i];

    stagefile::Reader reader;
    reader.open_text(file_name, std::string(bytes));
    check_agreement(bytes, play_file(*world, reader, moves));
    return 0;
}
