#include "game/render/play_frame.h"

#include "game/render/draw.h"

namespace vorne {
namespace {

struct EnemyCells {
    int32_t front_x, front_y;
    int32_t side1_x, side1_y;  // pose 2 row
    int32_t side2_x, side2_y;  // pose 3 row
};

constexpr EnemyCells enemy_g_cells{0, 0, 0, 40, 0, 80};
constexpr EnemyCells enemy_h_cells{60, 0, 60, 20, 60, 40};
constexpr EnemyCells enemy_i_cells{60, 60, 60, 80, 60, 100};
constexpr EnemyCells enemy_j_cells{0, 120, 0, 140, 0, 160};

// Walk column for frames 0..3: stand, step, stand, other step.
constexpr int32_t walk_column[4] = {0, 1, 0, 2};

template <typename RectTable, typename StateTable>
void draw_enemies(Image& frame, const Image& t1c, const RectTable& table, int32_t count,
                  const StateTable& state, const EnemyCells& cells) {
    int32_t last = loop_end(count, enemy_state_capacity);
    for (int32_t k = 1; k <= last; ++k) {
        const Rect& r = table[k];
        const EnemyState& s = state[k];
        int32_t f = s.enemy_frame;
        switch (s.enemy_pose) {
            case enemy_new:
                masked_cell(frame, r.left, r.top, t1c, 0, 20, cells.front_x, cells.front_y);
                break;
            case enemy_walk_left:
            case enemy_walk_right:
                if (f >= 0 && f <= 3) {
                    int32_t col = walk_column[f];
                    bool left = s.enemy_pose == enemy_walk_left;
                    masked_cell(frame, r.left, r.top, t1c, 20 * col, left ? 60 : 100,
                                (left ? cells.side1_x : cells.side2_x) + 20 * col,
                                left ? cells.side1_y : cells.side2_y);
                }
                break;
            case enemy_down: {
                // Vanishing: wiped away from the top, one row per frame.
                int32_t t = f;
                if (t < vanish_frames) {
                    masked_draw(frame, r.left, r.top + t, 20, 20 - t, t1c, 0, 20 + t, cells.front_x,
                                cells.front_y + t);
                }
                break;
            }
            default:
                break;
        }
    }
}

template <typename RectTable>
void draw_items(Image& frame, const Image& sheet, const RectTable& table, int32_t count,
                const FlagTable<table_capacity>* taken, int32_t sil_x, int32_t sil_y, int32_t img_x,
                int32_t img_y) {
    int32_t last = loop_end(count, table_capacity);
    for (int32_t i = 1; i <= last; ++i) {
        if (taken && (*taken)[i] != 0) continue;
        masked_cell(frame, table[i].left, table[i].top, sheet, sil_x, sil_y, img_x, img_y);
    }
}

void draw_player(Image& frame, const Image& pc, const World& w) {
    const Rect& p = w.player_rect;
    int32_t f = w.player_frame;
    switch (w.player_pose) {
        case pose_stand:
            masked_cell(frame, p.left, p.top, pc, 0, 20, 0, 0);
            break;
        case pose_ladder:
            if (f == 0 || f == 1) masked_cell(frame, p.left, p.top, pc, 20 * f, 60, 20 * f, 40);
            break;
        case pose_walk_left:
        case pose_walk_right:
            if (f >= 0 && f <= 3) {
                int32_t x = 20 * walk_column[f];
                int32_t image_y = w.player_pose == pose_walk_left ? 80 : 120;
                masked_cell(frame, p.left, p.top, pc, x, image_y + 20, x, image_y);
            }
            break;
        case pose_fall:
            masked_cell(frame, p.left, p.top, pc, 20, 20, 20, 0);
            break;
        default:
            break;  // pose 4 and others draw nothing
    }
}

// A key count of the head-up display in cyan, ringed by a one-pixel dark
// outline (the text printed at the eight neighbouring positions first), so that
// it reads over the backdrop and over any object behind it.
void print_count(Canvas& canvas, double x, double y, int32_t count) {
    const std::string text = number_text(count);
    TextStyle style{Face::gothic, 14, true, rgb(24, 8, 56)};
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) print_text(canvas, x + dx, y + dy, text, style);
    style.colour = rgb(0, 255, 255);
    print_text(canvas, x, y, text, style);
}

}  // namespace

bool draw_play_frame(Canvas& canvas, const World& w) {
    Image& frame = canvas.frame;
    const Sheets& sheets = canvas.sheets;

    // 1. Backdrop: 4 x 4 tiles of 100 x 100 cover the view for any offset.
    for (int32_t r = -1; r <= 2; ++r)
        for (int32_t c = -1; c <= 2; ++c)
            blit(frame, c * 100 + w.backdrop_x, r * 100 + w.backdrop_y, 100, 100, sheets.haikei, 0,
                 0, RasterOp::copy);

    // 2. Stage objects, table by table in index order.
    for (int32_t i = 1, last = loop_end(w.wall_count, table_capacity); i <= last; ++i)
        blit(frame, w.wall_table[i].left, w.wall_table[i].top, 20, 20, sheets.kabe, 0, 0,
             RasterOp::copy);
    draw_items(frame, sheets.hasi, w.ladder_table, w.ladder_count, nullptr, 0, 20, 0, 0);
    draw_items(frame, sheets.tc, w.coin_table, w.coin_count, &w.coin_taken, 0, 20, 0, 0);
    draw_items(frame, sheets.kagic, w.key1_table, w.key1_count, &w.key1_taken, 0, 20, 0, 0);
    draw_items(frame, sheets.kagic, w.lock1_table, w.lock1_count, &w.lock1_opened, 0, 60, 0, 40);
    draw_items(frame, sheets.kagic, w.key2_table, w.key2_count, &w.key2_taken, 0, 20, 20, 0);
    draw_items(frame, sheets.kagic, w.lock2_table, w.lock2_count, &w.lock2_opened, 0, 60, 20, 40);

    // 3. Door.
    if (w.door_open == 0 || w.door_open == 1)
        blit(frame, w.door_rect.left, w.door_rect.top, 20, 20, sheets.tobira, 0,
             w.door_open == 0 ? 0 : 20, RasterOp::copy);

    // 4. Power item.
    if (w.power_taken == 0)
        masked_cell(frame, w.power_item_rect.left, w.power_item_rect.top, sheets.ki, 0, 20, 0, 0);

    // 5. Player shot.
    if (w.player_shot_active == 1)
        masked_cell(frame, w.player_shot_rect.left, w.player_shot_rect.top, sheets.tama, 0, 40, 0,
                    0);

    // 6. Enemy shots, by their own flags whatever their enemy's pose.
    for (int32_t i = 1, last = loop_end(w.enemy_i_count, enemy_shot_capacity); i <= last; ++i)
        if (w.enemy_i_state[i].enemy_shot_active == 1)
            masked_cell(frame, w.enemy_shot_table[i].left, w.enemy_shot_table[i].top, sheets.tama,
                        0, 40, 0, 20);

    // 7. Enemies.
    draw_enemies(frame, sheets.t1c, w.enemy_g_table, w.enemy_g_count, w.enemy_g_state,
                 enemy_g_cells);
    draw_enemies(frame, sheets.t1c, w.enemy_h_table, w.enemy_h_count, w.enemy_h_state,
                 enemy_h_cells);
    draw_enemies(frame, sheets.t1c, w.enemy_i_table, w.enemy_i_count, w.enemy_i_state,
                 enemy_i_cells);
    draw_enemies(frame, sheets.t1c, w.enemy_j_table, w.enemy_j_count, w.enemy_j_state,
                 enemy_j_cells);

    // 8. Player, sinking while dying; on the tick the life ends, neither the
    // player nor the head-up display.
    if (w.player_pose == pose_dying) {
        if (w.player_frame == dying_frames) return false;
        int32_t t = w.player_frame;
        blit(frame, w.player_rect.left, w.player_rect.top + t, 20, 20 - t, sheets.pc, 40, t,
             RasterOp::copy);
    } else {
        draw_player(frame, sheets.pc, w);
    }

    // 9. Head-up display: the keys held.
    masked_cell(frame, 0, 0, sheets.kagic, 0, 20, 0, 0);
    print_count(canvas, 15, 0, w.keys1_held);
    masked_cell(frame, 35, 0, sheets.kagic, 0, 20, 20, 0);
    print_count(canvas, 45, 0, w.keys2_held);
    return true;
}

}  // namespace vorne
