#include "game/shell/dump.h"

#include <algorithm>
#include <vector>

#include "game/shell/json.h"
#include "game/world/object_tables.h"
#include "game/world/world.h"

namespace vorne {
namespace {

// The rows of the stage grid, each as the text of its cells.
std::vector<std::string> grid_rows(const World& w) {
    const int32_t rows = std::clamp(w.stage_rows, 0, grid_capacity);
    const int32_t columns = std::clamp(w.row_length, 0, grid_capacity);
    std::vector<std::string> texts;
    for (int32_t r = 1; r <= rows; ++r) {
        std::string row;
        for (int32_t c = 1; c <= columns; ++c)
            row.append(w.stage_grid[c][r].text());
        texts.push_back(std::move(row));
    }
    return texts;
}

}  // namespace

std::string dump_world(const World& w) {
    Json j;
    // Every table from index 0 through its end.
    for (const ConstObjectTable& t : object_tables(w)) {
        j[std::string(t.name) + "_table"] = t.rects;
        j[std::string(t.name) + "_count"] = t.count;
        if (!t.flags.empty()) j[std::string(t.state_name)] = t.flags;
        if (!t.states.empty()) j[std::string(t.state_name)] = t.states;
    }
    j["enemy_shot_table"] = w.enemy_shot_table;

    j["player_rect"] = w.player_rect;
    j["player_pose"] = w.player_pose;
    j["player_frame"] = w.player_frame;
    j["player_airborne"] = w.player_airborne;
    j["power_item_rect"] = w.power_item_rect;
    j["power_taken"] = w.power_taken;
    j["door_rect"] = w.door_rect;
    j["door_open"] = w.door_open;
    j["player_shot_rect"] = w.player_shot_rect;
    j["player_shot_active"] = w.player_shot_active;
    j["player_shot_heading"] = w.player_shot_heading;

    j["stage_grid"] = grid_rows(w);
    j["stage_file"] = w.stage_file;
    j["stage_file_open"] = w.stage_file_open;
    j["stage_rows"] = w.stage_rows;
    j["row_length"] = w.row_length;

    j["game_state"] = w.game_state;
    j["stage_number"] = w.stage_number;
    j["score"] = w.score;
    j["extra_life_step"] = w.extra_life_step;
    j["lives"] = w.lives;
    j["keys1_held"] = w.keys1_held;
    j["keys2_held"] = w.keys2_held;
    j["backdrop_x"] = w.backdrop_x;
    j["backdrop_y"] = w.backdrop_y;
    j["frame_clock"] = w.frame_clock;
    j["hit_flag"] = w.hit_flag;
    j["hit_rect"] = w.hit_rect;

    j["stick_x"] = w.stick_x;
    j["stick_y"] = w.stick_y;
    j["buttons"] = w.buttons;
    j["key_codes"] = w.key_codes;
    j["joystick_id"] = w.joystick_id;
    const StickLimits& limits = w.stick_limits;
    j["stick_limits"] = Json::array({limits.x_low, limits.x_high, limits.y_low, limits.y_high});

    j["screen_timer"] = w.screen_timer;
    j["title_scroll"] = w.title_scroll;
    j["ending_title_y"] = w.ending_title_y;
    j["ending_thanks_y"] = w.ending_thanks_y;
    j["cloud_table"] = w.cloud_table;
    j["cloud_speed"] = w.cloud_speed;
    return json_text(j);
}

}  // namespace vorne
