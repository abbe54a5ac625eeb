#include "game/shell/trace.h"

#include "game/shell/game.h"
#include "game/shell/json.h"
#include "game/world/world.h"

namespace vorne {

std::string trace_line(int64_t tick, const Game& game, const std::vector<int32_t>& sounds,
                       const std::vector<std::string>& music, const std::string& caption) {
    const World& w = game.world;
    Json j;
    j["tick"] = tick;
    j["state"] = w.game_state;
    j["stage"] = w.stage_number;
    j["score"] = w.score;
    j["lives"] = w.lives;
    j["keys1"] = w.keys1_held;
    j["keys2"] = w.keys2_held;
    j["player"] = w.player_rect;
    j["pose"] = w.player_pose;
    j["frame"] = w.player_frame;
    j["airborne"] = w.player_airborne;
    j["door_open"] = w.door_open;
    j["power"] = w.power_taken;
    j["shot"] =
        Json::array({w.player_shot_active, w.player_shot_rect.left, w.player_shot_rect.top});
    j["sounds"] = sounds;
    j["music"] = music;
    j["caption"] = caption;
    j["input"] = Json::array({w.stick_x, w.stick_y, w.buttons});
    j["stage_file_open"] = w.stage_file_open;
    j["screen_timer"] = w.screen_timer;
    j["backdrop"] = Json::array({w.backdrop_x, w.backdrop_y});
    j["music_timer"] = game.timer2.period();
    if (game.paused) j["paused"] = true;  // only while paused: other traces stay as they were
    return json_text(j);
}

}  // namespace vorne
