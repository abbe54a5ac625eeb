#include "game/shell/trace.h"

#include "game/shell/game.h"
#include "game/shell/json.h"
#include "game/world/world.h"

namespace vorne {
namespace {

void put_rect(JsonWriter& j, const Rect& r) {
    j.begin_array().value(r.left).value(r.top).value(r.right).value(r.bottom).end_array();
}

}  // namespace

std::string trace_line(int64_t tick, const Game& game, const std::vector<int32_t>& sounds,
                       const std::vector<std::string>& music, const std::string& caption) {
    const World& w = game.world;
    JsonWriter j;
    j.begin_object();
    j.key("tick").value(tick);
    j.key("state").value(w.game_state);
    j.key("stage").value(w.stage_number);
    j.key("score").value(w.score);
    j.key("lives").value(w.lives);
    j.key("keys1").value(w.keys1_held);
    j.key("keys2").value(w.keys2_held);
    j.key("player");
    put_rect(j, w.player_rect);
    j.key("pose").value(w.player_pose);
    j.key("frame").value(w.player_frame);
    j.key("airborne").value(w.player_airborne);
    j.key("door_open").value(w.door_open);
    j.key("power").value(w.power_taken);
    j.key("shot")
        .begin_array()
        .value(w.player_shot_active)
        .value(w.player_shot_rect.left)
        .value(w.player_shot_rect.top)
        .end_array();
    j.key("sounds").begin_array();
    for (int32_t s : sounds)
        j.value(s);
    j.end_array();
    j.key("music").begin_array();
    for (const std::string& m : music)
        j.value(m);
    j.end_array();
    j.key("caption").value(caption);
    j.key("input").begin_array().value(w.stick_x).value(w.stick_y).value(w.buttons).end_array();
    j.key("stage_file_open").value(w.stage_file_open);
    j.key("screen_timer").value(w.screen_timer);
    j.key("backdrop").begin_array().value(w.backdrop_x).value(w.backdrop_y).end_array();
    j.key("music_timer").value(game.timer2.period());
    j.end_object();
    return j.text();
}

}  // namespace vorne
