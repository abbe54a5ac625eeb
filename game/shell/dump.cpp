#include "game/shell/dump.h"

#include <algorithm>
#include <string_view>

#include "game/shell/json.h"
#include "game/world/object_tables.h"
#include "game/world/world.h"

namespace vorne {
namespace {

void put_rect(JsonWriter& j, const Rect& r) {
    j.begin_array().value(r.left).value(r.top).value(r.right).value(r.bottom).end_array();
}

template <typename Table>
void put_rect_table(JsonWriter& j, std::string_view name, const Table& table) {
    j.key(name).begin_array();
    for (const Rect& r : table)
        put_rect(j, r);
    j.end_array();
}

template <typename Table>
void put_flag_table(JsonWriter& j, std::string_view name, const Table& table) {
    j.key(name).begin_array();
    for (int32_t flag : table)
        j.value(flag);
    j.end_array();
}

template <typename Table>
void put_enemy_states(JsonWriter& j, std::string_view name, const Table& table) {
    j.key(name).begin_array();
    for (const EnemyState& s : table) {
        j.begin_array()
            .value(s.enemy_pose)
            .value(s.enemy_frame)
            .value(s.enemy_armour)
            .value(s.field4)
            .value(s.field5)
            .value(s.enemy_shot_active)
            .value(s.enemy_shot_heading)
            .end_array();
    }
    j.end_array();
}

}  // namespace

std::string dump_world(const World& w) {
    JsonWriter j;
    j.begin_object();

    for (const ConstObjectTable& t : object_tables(w)) {
        put_rect_table(j, std::string(t.name) + "_table", t.rects);
        j.key(std::string(t.name) + "_count").value(t.count);
        if (!t.flags.empty()) put_flag_table(j, t.state_name, t.flags);
        if (!t.states.empty()) put_enemy_states(j, t.state_name, t.states);
    }
    put_rect_table(j, "enemy_shot_table", w.enemy_shot_table);

    j.key("player_rect");
    put_rect(j, w.player_rect);
    j.key("player_pose").value(w.player_pose);
    j.key("player_frame").value(w.player_frame);
    j.key("player_airborne").value(w.player_airborne);
    j.key("power_item_rect");
    put_rect(j, w.power_item_rect);
    j.key("power_taken").value(w.power_taken);
    j.key("door_rect");
    put_rect(j, w.door_rect);
    j.key("door_open").value(w.door_open);
    j.key("player_shot_rect");
    put_rect(j, w.player_shot_rect);
    j.key("player_shot_active").value(w.player_shot_active);
    j.key("player_shot_heading").value(w.player_shot_heading);

    j.key("stage_grid").begin_array();
    int32_t rows = std::clamp(w.stage_rows, 0, grid_capacity);
    int32_t columns = std::clamp(w.row_length, 0, grid_capacity);
    for (int32_t r = 1; r <= rows; ++r) {
        std::string row;
        for (int32_t c = 1; c <= columns; ++c)
            row.append(w.stage_grid[c][r].text());
        j.value(row);
    }
    j.end_array();
    j.key("stage_file").value(w.stage_file);
    j.key("stage_file_open").value(w.stage_file_open);
    j.key("stage_rows").value(w.stage_rows);
    j.key("row_length").value(w.row_length);

    j.key("game_state").value(w.game_state);
    j.key("stage_number").value(w.stage_number);
    j.key("score").value(w.score);
    j.key("extra_life_step").value(w.extra_life_step);
    j.key("lives").value(w.lives);
    j.key("keys1_held").value(w.keys1_held);
    j.key("keys2_held").value(w.keys2_held);
    j.key("backdrop_x").value(w.backdrop_x);
    j.key("backdrop_y").value(w.backdrop_y);
    j.key("frame_clock").value(w.frame_clock);
    j.key("hit_flag").value(w.hit_flag);
    j.key("hit_rect");
    put_rect(j, w.hit_rect);

    j.key("stick_x").value(w.stick_x);
    j.key("stick_y").value(w.stick_y);
    j.key("buttons").value(w.buttons);
    j.key("key_codes").begin_array();
    for (int32_t k : w.key_codes)
        j.value(k);
    j.end_array();
    j.key("joystick_id").value(w.joystick_id);
    j.key("stick_limits")
        .begin_array()
        .value(w.stick_limits.x_low)
        .value(w.stick_limits.x_high)
        .value(w.stick_limits.y_low)
        .value(w.stick_limits.y_high)
        .end_array();

    j.key("screen_timer").value(w.screen_timer);
    j.key("title_scroll").value(w.title_scroll);
    j.key("ending_title_y").value(w.ending_title_y);
    j.key("ending_thanks_y").value(w.ending_thanks_y);
    put_rect_table(j, "cloud_table", w.cloud_table);
    j.key("cloud_speed").begin_array();
    for (int32_t s : w.cloud_speed)
        j.value(s);
    j.end_array();

    j.end_object();
    return j.text();
}

}  // namespace vorne
