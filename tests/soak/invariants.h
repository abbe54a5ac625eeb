// What the world model promises after every tick, checked against the world
// of a running game and the rows of the stage it plays.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/world/object_tables.h"

namespace vorne::soak {

// The eleven rectangle tables, in the order of the world's list
// (game/world/object_tables.h).
enum TableId {
    walls,
    ladders,
    coins,
    keys1,
    locks1,
    keys2,
    locks2,
    enemies_g,
    enemies_h,
    enemies_i,
    enemies_j
};
inline constexpr int32_t table_count = object_table_count;
static_assert(enemies_j + 1 == table_count);

struct Cell {
    int32_t c = 0;  // 1-based column
    int32_t r = 0;  // 1-based row
};

// What a stage's rows say the builder makes of them.
struct StageModel {
    explicit StageModel(const std::vector<std::string>& rows);

    // The cells a build or a rebuild places, in reading order.
    struct Placement {
        std::array<std::vector<Cell>, table_count> tables;
        std::optional<Cell> player, door, power_item;  // the last "b", "f", "e"
    };

    int32_t rows = 0;
    int32_t row_length = 0;                       // characters of the last row
    std::vector<std::vector<std::string>> cells;  // the characters of each row
    Placement build;                              // every character of every row
    Placement rebuild;                            // columns 1..row_length only
    bool framed = false;                          // rows of equal length, walls all round
    int32_t width = 0, height = 0;
};

// Checks the world after each tick. Feed it every tick of a game session, in
// order; it keeps what it needs of the ticks before (the state, the misses of
// the game, the keys of kind 2 carried into the stage).
class Checker {
  public:
    // A new game session was started (start_game ran) on a fresh world.
    void start_session(const World& world);
    // The stage the title opens next (the stage file of button 1).
    void set_stage(const StageModel* model) { next_model_ = model; }

    // Checks the world after a tick; sounds are the effects of that tick.
    // Returns what broke, or an empty string.
    std::string after_tick(const World& world, const std::vector<int32_t>& sounds);

    // Play ticks in which a slot past the last entry had been moved along
    // one axis only (the camera placement made no move along the other, and
    // no scroll since): counted, as it is no fault.
    int64_t one_axis_slot_ticks() const { return one_axis_slot_ticks_; }

  private:
    void check_any_state(const World& w, const std::vector<int32_t>& sounds);
    void check_reset_world(const World& w);
    void check_built_world(const World& w, const std::vector<int32_t>& sounds);
    void check_build_event(const World& w);
    void check_ending(const World& w);
    void check_loose_rect(const Rect& rect, const char* what, int32_t index);
    void find_offset(const World& w);
    Rect cell_at(const Cell& cell) const;
    const StageModel::Placement& placement() const {
        return rebuilt_ ? model_->rebuild : model_->build;
    }

    template <typename... Parts>
    bool expect(bool ok, const Parts&... parts);

    std::string problem_;
    const StageModel* next_model_ = nullptr;
    const StageModel* model_ = nullptr;  // the stage of the game being played
    int32_t previous_state_ = state_title;
    int32_t previous_pose_ = pose_stand;
    int32_t previous_door_open_ = 0;
    int32_t previous_score_ = 0;
    int32_t misses_ = 0;          // misses of this game
    bool rebuilt_ = false;        // the stage was last built by a rebuild after a miss
    int32_t keys2_at_build_ = 0;  // keys2_held when the stage was first built
    int64_t play_ticks_ = 0;      // play steps run since the last build or rebuild
    bool build_event_ = false;    // this tick built or rebuilt the stage
    struct Progress {
        std::array<int32_t, 5> flags{};  // coins, keys and locks taken or opened
        std::array<int32_t, 4> down{};   // enemies of kinds g, h, i, j shot down
    };
    Progress progress_;  // as of the last tick in a built world
    int64_t one_axis_slot_ticks_ = 0;
    bool have_offset_ = false;
    int32_t ox_ = 0, oy_ = 0;  // where the scroll has moved the stage's cells
};

}  // namespace vorne::soak
