// The world model: every table, counter, single object and scalar of the game,
// with the names, capacities and index ranges the rest of the game relies on.
// Index 0 of every table stays unused; a counter is the next free index while a
// stage is built (see place_camera for the four that become entry counts).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace vorne {

// Geometry.
inline constexpr int32_t cell_size = 20;
inline constexpr int32_t view_size = 200;
inline constexpr int32_t scroll_line = 100;  // view_size / 2
inline constexpr int32_t player_step = 5;
inline constexpr int32_t backdrop_step = 2;
inline constexpr int32_t empty_marker = 1714;  // left of entry 2 of an enemy table with no enemy

// Capacities (highest usable index).
inline constexpr int32_t table_capacity = 400;        // walls, ladders, coins, keys, locks
inline constexpr int32_t enemy_table_capacity = 500;  // enemy rectangles
inline constexpr int32_t enemy_state_capacity = 400;  // enemy state records
inline constexpr int32_t enemy_shot_capacity = 400;
inline constexpr int32_t grid_capacity = 400;  // columns and rows of stage_grid
inline constexpr int32_t cloud_capacity = 10;

// Bits of buttons: button n is bit n - 1, from its key in key_codes or the
// joystick's button n.
inline constexpr int32_t button_fire = 1;    // Z: shoots in play, starts and leaves screens
inline constexpr int32_t button_map = 2;     // X: chooses a stage file on the title
inline constexpr int32_t button_quit = 4;    // Esc: ends the program
inline constexpr int32_t button_4 = 8;       // read, but no rule uses it
inline constexpr int32_t button_pause = 16;  // P or a gamepad's west button: pauses play

// game_state values.
enum GameState : int32_t {
    state_play = 0,
    state_title = 1,
    state_miss = 2,
    state_game_over = 3,
    state_stage_intro = 4,
    state_stage_clear = 5,
    state_ending = 6,
};

// player_pose values.
enum PlayerPose : int32_t {
    pose_stand = 0,
    pose_ladder = 1,
    pose_walk_left = 2,
    pose_walk_right = 3,
    pose_fall = 5,
    pose_dying = 6,
};

// The dying animation: the player sinks one row a tick; the life ends on the
// tick its frame reaches this.
inline constexpr int32_t dying_frames = 21;

// enemy_pose values.
inline constexpr int32_t enemy_new = 0;  // placed, not yet stepped: walks right
inline constexpr int32_t enemy_walk_left = 2;
inline constexpr int32_t enemy_walk_right = 3;
inline constexpr int32_t enemy_down = 6;  // shot down, vanishing

// A shot-down enemy is wiped away from the top, one row a tick, until its
// frame reaches this.
inline constexpr int32_t vanish_frames = 20;

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Seven fields, numbered 1..7 as the game numbers them. Item tables keep only
// their flag (field 1) and so are plain int32 arrays; enemies use this record.
struct EnemyState {
    int32_t enemy_pose = 0;          // field 1
    int32_t enemy_frame = 0;         // field 2
    int32_t enemy_armour = 0;        // field 3
    int32_t field4 = 0;              // field 4, never used
    int32_t field5 = 0;              // field 5, never used
    int32_t enemy_shot_active = 0;   // field 6 (kind i)
    int32_t enemy_shot_heading = 0;  // field 7 (kind i)
    friend bool operator==(const EnemyState&, const EnemyState&) = default;
};

// One cell of stage_grid: the text of one character of the stage file (a UTF-8
// sequence of up to four bytes, or a single byte that is not valid UTF-8).
struct GridCell {
    uint8_t length = 1;
    std::array<char, 4> bytes{'z', 0, 0, 0};

    std::string_view text() const { return {bytes.data(), length}; }
    void set(std::string_view t) {
        length = static_cast<uint8_t>(std::min<size_t>(t.size(), bytes.size()));
        std::copy_n(t.data(), length, bytes.data());
    }
    // The single-byte letter of the cell, or 0 when the text is not one byte.
    char letter() const { return length == 1 ? bytes[0] : '\0'; }
};

template <int32_t Capacity>
using RectTable = std::array<Rect, Capacity + 1>;
template <int32_t Capacity>
using FlagTable = std::array<int32_t, Capacity + 1>;
template <int32_t Capacity>
using EnemyStateTable = std::array<EnemyState, Capacity + 1>;

struct StickLimits {
    int32_t x_low = 0;
    int32_t x_high = 0;
    int32_t y_low = 0;
    int32_t y_high = 0;
};

struct World {
    // Tables with their counters (1 = empty) and state tables.
    RectTable<table_capacity> wall_table{};
    int32_t wall_count = 1;
    RectTable<table_capacity> ladder_table{};
    int32_t ladder_count = 1;
    RectTable<table_capacity> coin_table{};
    int32_t coin_count = 1;
    FlagTable<table_capacity> coin_taken{};
    RectTable<table_capacity> key1_table{};
    int32_t key1_count = 1;
    FlagTable<table_capacity> key1_taken{};
    RectTable<table_capacity> lock1_table{};
    int32_t lock1_count = 1;
    FlagTable<table_capacity> lock1_opened{};
    RectTable<table_capacity> key2_table{};
    int32_t key2_count = 1;
    FlagTable<table_capacity> key2_taken{};
    RectTable<table_capacity> lock2_table{};
    int32_t lock2_count = 1;
    FlagTable<table_capacity> lock2_opened{};

    RectTable<enemy_table_capacity> enemy_g_table{};
    int32_t enemy_g_count = 1;
    EnemyStateTable<enemy_state_capacity> enemy_g_state{};
    RectTable<enemy_table_capacity> enemy_h_table{};
    int32_t enemy_h_count = 1;
    EnemyStateTable<enemy_state_capacity> enemy_h_state{};
    RectTable<enemy_table_capacity> enemy_i_table{};
    int32_t enemy_i_count = 1;
    EnemyStateTable<enemy_state_capacity> enemy_i_state{};
    RectTable<enemy_table_capacity> enemy_j_table{};
    int32_t enemy_j_count = 1;
    EnemyStateTable<enemy_state_capacity> enemy_j_state{};
    RectTable<enemy_shot_capacity> enemy_shot_table{};  // same index as enemy_i_table

    // Single objects.
    Rect player_rect{};
    int32_t player_pose = pose_stand;
    int32_t player_frame = 0;
    int32_t player_airborne = 0;
    Rect power_item_rect{};
    int32_t power_taken = 0;
    Rect door_rect{};
    int32_t door_open = 0;
    Rect player_shot_rect{};
    int32_t player_shot_active = 0;
    int32_t player_shot_heading = 0;

    // Stage data. stage_grid[column][row], columns and rows 1..400 used.
    std::array<std::array<GridCell, grid_capacity + 1>, grid_capacity + 1> stage_grid{};
    int16_t stage_file = 0;       // file number taken on the title
    int32_t stage_file_open = 0;  // 0 none since reset, 1 opened or tried, 2 closed by game over
    int32_t stage_rows = 0;
    int32_t row_length = 0;

    // Game scalars.
    int32_t game_state = state_title;
    int32_t stage_number = 1;
    int32_t score = 0;
    int32_t extra_life_step = 1;
    int32_t lives = 3;
    int32_t keys1_held = 0;
    int32_t keys2_held = 0;
    int32_t backdrop_x = 0;
    int32_t backdrop_y = 0;
    int32_t frame_clock = 0;

    // Result of the last rectangle test.
    int32_t hit_flag = 0;
    Rect hit_rect{};

    // Input state.
    int16_t stick_x = 0;
    int16_t stick_y = 0;
    int32_t buttons = 0;
    std::array<int32_t, 5> key_codes{};  // buttons 1..4; index 0 unused
    int32_t joystick_id = -1;
    StickLimits stick_limits{};
    int32_t joystick_buttons = 0;  // read at start-up, otherwise unused

    // Screens.
    int32_t screen_timer = 0;
    int32_t title_scroll = 0;
    int32_t ending_title_y = 200;
    int32_t ending_thanks_y = 200;
    std::array<Rect, cloud_capacity + 1> cloud_table{};
    std::array<int32_t, cloud_capacity + 1> cloud_speed{};
};

// The world is large (the grid alone is 160 000 cells): keep it on the heap.
inline std::unique_ptr<World> make_world() {
    return std::make_unique<World>();
}

// Last index a loop over a table may visit: the counter, but never past the
// table's capacity (a full table's counter runs one past its last entry).
constexpr int32_t loop_end(int32_t counter, int32_t capacity) {
    return std::min(counter, capacity);
}

// Stage corners read by the camera rules; an index outside the wall table
// reads entry 0 (zeros) or the last entry, as the camera placement does.
inline const Rect& wall_at(const World& world, int32_t index) {
    return world.wall_table[std::clamp(index, 0, table_capacity)];
}

}  // namespace vorne
