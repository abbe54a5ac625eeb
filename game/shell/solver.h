// The solver: searches for an input that clears the stage in play, on the
// game's own play rules (enemies and shots included). The world is a plain
// value, so the search copies it to look ahead; only the parts that play can
// change are kept per state (StateCodec), the rest is shared.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "game/shell/inputs.h"
#include "game/world/world.h"

namespace vorne {

// The parts of a world that play can change, apart from the rest of it: the
// rectangles of the items and walls (which only the scroll moves, and which
// many states share) and everything else that moves (flags, enemies, shots,
// the player and every scalar). A state loads back only into a world that
// holds the stage it was saved from.
class StateCodec {
  public:
    struct State {
        uint32_t statics = 0;  // index of the shared part
        std::vector<std::byte> data;
    };

    // The layout of the states is taken from root: the world at the start of
    // play (its counters say how much of each table is in use).
    explicit StateCodec(const World& root);

    void save(const World& world, State& out);
    void load(const State& state, World& world) const;
    size_t shared_parts() const { return statics_.size(); }

  private:
    struct Piece {
        size_t offset = 0;
        size_t size = 0;
    };
    static void gather(const World& world, const std::vector<Piece>& pieces, std::byte* out);
    static void scatter(const std::byte* in, const std::vector<Piece>& pieces, World& world);

    std::vector<Piece> static_pieces_;
    std::vector<Piece> dynamic_pieces_;
    size_t static_size_ = 0;
    size_t dynamic_size_ = 0;
    std::vector<std::vector<std::byte>> statics_;
    std::unordered_multimap<uint64_t, uint32_t> statics_index_;
    std::vector<std::byte> scratch_;
};

struct SolveProgress {
    double seconds = 0;
    int32_t items_taken = 0;  // the most coins, keys, locks and power item taken on one path
    int32_t items_total = 0;
    int64_t states = 0;  // states looked at so far
};

struct SolveControl {
    double budget_seconds = 60;
    const std::atomic<bool>* cancel = nullptr;  // set from elsewhere to stop the search
    // Called about four times a second from the searching thread.
    std::function<void(const SolveProgress&)> progress;
};

struct SolveResult {
    bool solved = false;
    bool cancelled = false;
    std::vector<InputStep> ticks;  // one step (count 1) per tick; the last one clears
    int64_t states = 0;
    double seconds = 0;
};

// Searches from start, a world on the first tick of play, for the input of
// every tick up to the one that enters the open door, losing no life. The
// answer comes from the play rules alone: replay it in the game before
// claiming it (the shell's --solve does).
SolveResult solve_play(const World& start, const SolveControl& control);

}  // namespace vorne
