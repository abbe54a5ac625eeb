#include "tests/soak/stages.h"

#include <algorithm>
#include <array>
#include <random>
#include <string_view>

#include "game/world/builder.h"
#include "game/world/world.h"
#include "stagefile/count.h"
#include "stagefile/reader.h"
#include "stagefile/writer.h"

namespace vorne::soak {

std::optional<std::vector<SoakStage>> split_stage_file(const std::string& text,
                                                       const std::string& file_name,
                                                       std::string& error) {
    stagefile::Reader reader;
    reader.open_text(file_name, text);
    reader.skip_byte_order_mark();
    std::vector<SoakStage> stages;
    std::string line;
    int32_t block = 0;
    while (reader.read_line(line)) {
        ++block;
        const int64_t count = stagefile::lenient_count(line);
        if (count < 0 || count > grid_capacity) {
            error = file_name + ": block " + std::to_string(block) + ": row count " +
                    std::to_string(count) + " is outside 0 to 400";
            return std::nullopt;
        }
        SoakStage stage;
        stage.name = file_name + " block " + std::to_string(block);
        for (int64_t r = 0; r < count; ++r) {
            if (!reader.read_line(line)) {
                error = file_name + ": block " + std::to_string(block) + " ends after " +
                        std::to_string(r) + " of its " + std::to_string(count) + " rows";
                return std::nullopt;
            }
            stage.rows.push_back(line);
        }
        if (!stage.rows.empty()) stages.push_back(std::move(stage));
    }
    return stages;
}

std::string one_stage_file(const SoakStage& stage) {
    return stagefile::format_block(static_cast<int32_t>(stage.rows.size()), stage.rows);
}

namespace {

using Rng = std::mt19937_64;

int32_t uniform(Rng& rng, int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(rng);
}

bool chance(Rng& rng, double p) {
    return std::bernoulli_distribution(p)(rng);
}

// Most cells of a letter that one stage may hold (the game rejects more);
// letters without a table have no limit but the grid.
int32_t letter_capacity(char letter) {
    const int32_t capacity = object_capacity(std::string_view(&letter, 1));
    return capacity > 0 ? capacity : grid_capacity * grid_capacity;
}

bool is_support(char letter) {
    return letter == 'a' || letter == 'c' || letter == 'l' || letter == 'n';
}

// A framed stage under construction; cells are addressed 0-based.
class Layout {
  public:
    Layout(int32_t width, int32_t height)
        : width_(width), height_(height), rows_(height, std::string(width, 'z')) {
        for (int32_t c = 0; c < width; ++c)
            rows_[0][c] = rows_[height - 1][c] = 'a';
        for (int32_t r = 0; r < height; ++r)
            rows_[r][0] = rows_[r][width - 1] = 'a';
    }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    char& at(int32_t c, int32_t r) { return rows_[r][c]; }
    char at(int32_t c, int32_t r) const { return rows_[r][c]; }
    bool frame(int32_t c, int32_t r) const {
        return c == 0 || r == 0 || c == width_ - 1 || r == height_ - 1;
    }
    const std::vector<std::string>& rows() const { return rows_; }

    // Interior floor rows of walls (with holes and lock blocks) every few
    // rows above the bottom wall, joined by ladders that run from a floor
    // down to the next one.
    void add_floors(Rng& rng, double hole_rate, double lock_rate) {
        std::vector<int32_t> floors{height_ - 1};
        for (int32_t r = height_ - 1 - uniform(rng, 3, 5); r >= 3; r -= uniform(rng, 3, 5))
            floors.push_back(r);
        for (size_t f = 1; f < floors.size(); ++f) {
            const int32_t r = floors[f];
            for (int32_t c = 1; c < width_ - 1; ++c) {
                if (chance(rng, hole_rate)) continue;
                if (chance(rng, lock_rate)) {
                    at(c, r) = chance(rng, 0.5) ? 'l' : 'n';
                } else {
                    at(c, r) = 'a';
                }
            }
            const int32_t below = floors[f - 1];
            for (int32_t ladders = uniform(rng, 1, 3); ladders > 0; --ladders) {
                const int32_t c = uniform(rng, 1, width_ - 2);
                for (int32_t rr = r; rr < below; ++rr)
                    at(c, rr) = 'c';
            }
        }
    }

    // Empty interior cells, those with something to stand on first when
    // standing is asked for, in a random order.
    std::vector<std::pair<int32_t, int32_t>> free_cells(Rng& rng, bool standing) const {
        std::vector<std::pair<int32_t, int32_t>> on_floor, anywhere;
        for (int32_t r = 1; r < height_ - 1; ++r) {
            for (int32_t c = 1; c < width_ - 1; ++c) {
                if (at(c, r) != 'z') continue;
                (is_support(at(c, r + 1)) ? on_floor : anywhere).emplace_back(c, r);
            }
        }
        std::shuffle(on_floor.begin(), on_floor.end(), rng);
        std::shuffle(anywhere.begin(), anywhere.end(), rng);
        if (!standing) {
            on_floor.insert(on_floor.end(), anywhere.begin(), anywhere.end());
            std::shuffle(on_floor.begin(), on_floor.end(), rng);
            return on_floor;
        }
        on_floor.insert(on_floor.end(), anywhere.begin(), anywhere.end());
        return on_floor;
    }

    // Puts up to n of letter in free cells; returns how many were placed.
    int32_t place(Rng& rng, char letter, int32_t n, bool standing = true) {
        int32_t placed = 0;
        for (auto [c, r] : free_cells(rng, standing)) {
            if (placed >= n) break;
            at(c, r) = letter;
            ++placed;
        }
        return placed;
    }

    int32_t count(char letter) const {
        int32_t n = 0;
        for (const std::string& row : rows_)
            n += static_cast<int32_t>(std::count(row.begin(), row.end(), letter));
        return n;
    }

    // Keeps every letter within what a stage may hold (the frame's walls
    // stay), makes sure there is a player start and keeps enemies away from
    // it (but those of kind keep, which fill the stage on purpose).
    void finish(Rng& rng, bool shooters_in_start_row, char keep) {
        for (char letter : std::string_view("abcdefghijklmn")) {
            int32_t extra = count(letter) - letter_capacity(letter);
            for (int32_t r = height_ - 2; r >= 1 && extra > 0; --r) {
                for (int32_t c = width_ - 2; c >= 1 && extra > 0; --c) {
                    if (at(c, r) == letter) {
                        at(c, r) = 'z';
                        --extra;
                    }
                }
            }
        }
        if (count('b') == 0) {
            if (place(rng, 'b', 1) == 0) at(1, height_ - 2) = 'b';
        }
        // No enemy right beside the player's start (the last "b"), and
        // unless asked for none of kind i in its row: a start that is lost
        // in its first few ticks tells little.
        for (int32_t r = height_ - 2; r >= 1; --r) {
            for (int32_t c = width_ - 2; c >= 1; --c) {
                if (at(c, r) != 'b') continue;
                for (int32_t rr = std::max(1, r - 1); rr <= std::min(height_ - 2, r + 1); ++rr)
                    for (int32_t cc = std::max(1, c - 6); cc <= std::min(width_ - 2, c + 6); ++cc)
                        if (at(cc, rr) != keep &&
                            std::string_view("ghij").find(at(cc, rr)) != std::string_view::npos)
                            at(cc, rr) = 'z';
                for (int32_t cc = 1; !shooters_in_start_row && keep != 'i' && cc < width_ - 1; ++cc)
                    if (at(cc, r) == 'i') at(cc, r) = 'z';
                return;
            }
        }
    }

  private:
    int32_t width_;
    int32_t height_;
    std::vector<std::string> rows_;
};

// Kinds of generated stage, taken in turn.
enum class Kind { mixed, sparse, crowded, several, full, corridor, arena, noise, level_start };

constexpr std::array<Kind, 9> kinds{Kind::mixed,  Kind::corridor, Kind::crowded,
                                    Kind::arena,  Kind::several,  Kind::full,
                                    Kind::sparse, Kind::noise,    Kind::level_start};

std::string_view kind_name(Kind kind) {
    switch (kind) {
        case Kind::mixed:
            return "mixed";
        case Kind::sparse:
            return "sparse";
        case Kind::crowded:
            return "crowded";
        case Kind::several:
            return "several b/e/f";
        case Kind::full:
            return "full";
        case Kind::corridor:
            return "corridor";
        case Kind::arena:
            return "arena";
        case Kind::noise:
            return "noise";
        case Kind::level_start:
            return "level start";
    }
    return "?";
}

// Items and enemies in the usual proportions: every letter at least once.
void add_usual(Layout& s, Rng& rng, int32_t scale) {
    s.place(rng, 'd', uniform(rng, 3, 12) * scale);
    s.place(rng, 'k', uniform(rng, 1, 3) * scale);
    s.place(rng, 'm', uniform(rng, 1, 2) * scale);
    s.place(rng, 'l', uniform(rng, 1, 2) * scale);
    s.place(rng, 'n', uniform(rng, 1, 2) * scale);
    s.place(rng, 'c', uniform(rng, 1, 3));
    for (char enemy : std::string_view("ghij"))
        s.place(rng, enemy, uniform(rng, 1, 3) * scale);
}

// Builds a stage of the kind; detail says what sets it apart, focus is the
// letter a full stage fills.
Layout make_stage(Kind kind, Rng& rng, std::string& detail, char& focus) {
    int32_t width = uniform(rng, 10, 30);
    int32_t height = uniform(rng, 10, 30);
    switch (kind) {
        case Kind::mixed: {
            Layout s(width, height);
            s.add_floors(rng, 0.1, 0.04);
            s.place(rng, 'b', 1);
            s.place(rng, 'e', 1);
            s.place(rng, 'f', 1);
            add_usual(s, rng, 1);
            return s;
        }
        case Kind::sparse: {
            // Some tables left empty: each letter is dropped with even odds.
            Layout s(width, height);
            const bool floors = chance(rng, 0.7);
            if (floors) s.add_floors(rng, 0.15, chance(rng, 0.5) ? 0.05 : 0.0);
            s.place(rng, 'b', 1);
            s.place(rng, 'e', 1);
            s.place(rng, 'f', 1);
            add_usual(s, rng, 1);
            std::string dropped;
            for (char letter : std::string_view("cdghijklmn")) {
                if (!chance(rng, 0.5)) continue;
                dropped += letter;
                for (int32_t r = 1; r < s.height() - 1; ++r)
                    for (int32_t c = 1; c < s.width() - 1; ++c)
                        if (s.at(c, r) == letter) s.at(c, r) = 'z';
            }
            detail = "without \"" + dropped + "\"" + (floors ? "" : ", no floors");
            return s;
        }
        case Kind::crowded: {
            Layout s(width, height);
            s.add_floors(rng, 0.05, 0.2);
            s.place(rng, 'b', 1);
            s.place(rng, 'e', 1);
            s.place(rng, 'f', 1);
            s.place(rng, 'k', uniform(rng, 3, 12));
            s.place(rng, 'm', uniform(rng, 2, 8));
            s.place(rng, 'd', uniform(rng, 2, 10));
            for (char enemy : std::string_view("ghij"))
                s.place(rng, enemy, uniform(rng, 8, 50));
            return s;
        }
        case Kind::several: {
            Layout s(width, height);
            s.add_floors(rng, 0.1, 0.05);
            s.place(rng, 'b', uniform(rng, 2, 5));
            s.place(rng, 'e', uniform(rng, 2, 4));
            s.place(rng, 'f', uniform(rng, 2, 4));
            add_usual(s, rng, 1);
            return s;
        }
        case Kind::full: {
            // One table filled to what a stage may hold (or one short of it).
            Layout s(uniform(rng, 28, 30), uniform(rng, 28, 30));
            s.add_floors(rng, 0.1, 0.03);
            s.place(rng, 'b', 1);
            s.place(rng, 'e', 1);
            s.place(rng, 'f', 1);
            add_usual(s, rng, 1);
            const char letter = std::string_view("acdklmnghij")[uniform(rng, 0, 10)];
            const int32_t target = letter_capacity(letter) - (chance(rng, 0.3) ? 1 : 0);
            s.place(rng, letter, target - s.count(letter), letter != 'a');
            focus = letter;
            return s;
        }
        case Kind::corridor: {
            // Small, and easily cleared: the player, the coins, the power item
            // and the door on the bottom floor; the rest on a floor above that
            // cannot be reached.
            Layout s(uniform(rng, 10, 16), uniform(rng, 10, 12));
            const int32_t walk = s.height() - 2;
            const int32_t upper = s.height() - 4;
            for (int32_t c = 1; c < s.width() - 1; ++c)
                s.at(c, upper) = 'a';
            std::vector<int32_t> columns;
            for (int32_t c = 1; c < s.width() - 1; ++c)
                columns.push_back(c);
            std::shuffle(columns.begin(), columns.end(), rng);
            size_t next = 0;
            s.at(columns[next++], walk) = 'b';
            s.at(columns[next++], walk) = 'f';
            if (chance(rng, 0.7)) s.at(columns[next++], walk) = 'e';
            for (int32_t coins = uniform(rng, 1, 4); coins > 0; --coins)
                s.at(columns[next++], walk) = 'd';
            for (char letter : std::string_view("cghijklmn"))
                s.place(rng, letter, uniform(rng, 0, 2));
            for (int32_t c = 1; c < s.width() - 1; ++c) {
                // Nothing of the upper part may stand in the bottom corridor.
                if (s.at(c, walk) != 'b' && s.at(c, walk) != 'f' && s.at(c, walk) != 'e' &&
                    s.at(c, walk) != 'd')
                    s.at(c, walk) = 'z';
                if (s.at(c, walk - 1) == 'c' || s.at(c, walk - 1) == 'd') s.at(c, walk - 1) = 'z';
            }
            return s;
        }
        case Kind::arena: {
            // The player beside the power item on the bottom floor, with
            // enemies of every kind on the same floor: shots, hits and
            // kills. A kind-1 key opens the way through a lock block.
            Layout s(uniform(rng, 16, 30), uniform(rng, 10, 14));
            const int32_t walk = s.height() - 2;
            for (int32_t c = 1; c < s.width() - 1; ++c)
                s.at(c, s.height() - 4) = 'a';
            const bool from_left = chance(rng, 0.5);
            const auto column = [&](int32_t i) { return from_left ? i : s.width() - 1 - i; };
            s.at(column(1), walk) = 'b';
            s.at(column(2), walk) = 'e';
            s.at(column(3), walk) = 'k';
            std::vector<int32_t> rest;
            for (int32_t i = 7; i < s.width() - 1; ++i)
                rest.push_back(column(i));
            std::shuffle(rest.begin(), rest.end(), rng);
            size_t next = 0;
            s.at(rest[next++], walk) = 'f';
            if (chance(rng, 0.5)) s.at(rest[next++], walk) = 'l';
            for (int32_t coins = uniform(rng, 1, 3); coins > 0; --coins)
                s.at(rest[next++], walk) = 'd';
            for (int32_t enemies = uniform(rng, 3, 6); enemies > 0 && next < rest.size(); --enemies)
                s.at(rest[next++], walk) = std::string_view("ghij")[uniform(rng, 0, 3)];
            for (char letter : std::string_view("cghijmn"))
                s.place(rng, letter, uniform(rng, 0, 2));
            for (int32_t c = 1; c < s.width() - 1; ++c)
                if (s.at(c, walk - 1) != 'z') s.at(c, walk - 1) = 'z';
            return s;
        }
        case Kind::noise: {
            // Letters at random in the whole inside, in random proportions.
            Layout s(width, height);
            const std::string_view letters = "zabcdefghijklmn";
            std::array<double, 15> weights{};
            for (double& w : weights)
                w = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
            weights[0] += 2.0;  // mostly empty
            weights[1] += 0.8;  // and walls
            std::discrete_distribution<int> pick(weights.begin(), weights.end());
            for (int32_t r = 1; r < s.height() - 1; ++r)
                for (int32_t c = 1; c < s.width() - 1; ++c)
                    s.at(c, r) = letters[pick(rng)];
            return s;
        }
        case Kind::level_start: {
            // Ten rows with the player in row 5: the camera has no vertical
            // move to make when the stage starts.
            Layout s(width, 10);
            for (int32_t c = 1; c < s.width() - 1; ++c)
                s.at(c, 5) = chance(rng, 0.9) ? 'a' : 'c';
            s.at(uniform(rng, 1, s.width() - 2), 4) = 'b';
            s.place(rng, 'e', 1);
            s.place(rng, 'f', 1);
            add_usual(s, rng, 1);
            for (int32_t r = 1; r < s.height() - 1; ++r)
                for (int32_t c = 1; c < s.width() - 1; ++c)
                    if (s.at(c, r) == 'b' && r != 4) s.at(c, r) = 'z';
            return s;
        }
    }
    return Layout(width, height);
}

}  // namespace

std::vector<SoakStage> generate_stages(uint64_t seed, int32_t count) {
    std::vector<SoakStage> stages;
    for (int32_t index = 0; index < count; ++index) {
        std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                          static_cast<uint32_t>(index)};
        Rng rng(seq);
        const Kind kind = kinds[static_cast<size_t>(index) % kinds.size()];
        std::string detail;
        char focus = 0;
        Layout layout = make_stage(kind, rng, detail, focus);
        layout.finish(rng, kind == Kind::arena, focus);
        if (focus) detail = std::to_string(layout.count(focus)) + " \"" + focus + "\"";
        SoakStage stage;
        stage.name = "generated " + std::to_string(index + 1) + " (" +
                     std::string(kind_name(kind)) + ", " + std::to_string(layout.width()) + " x " +
                     std::to_string(layout.height()) + (detail.empty() ? "" : ", " + detail) + ")";
        stage.rows = layout.rows();
        stages.push_back(std::move(stage));
    }
    return stages;
}

}  // namespace vorne::soak
