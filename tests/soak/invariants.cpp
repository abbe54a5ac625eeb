#include "tests/soak/invariants.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "stagefile/chars.h"

namespace vorne::soak {
namespace {

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << '[' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << ']';
}

// What the checks know of each table of the world's list, in its order: the
// letter that places an entry, whether place_camera turns the counter into a
// count of entries, and for enemies the pixels of one step.
struct TableRules {
    char letter;
    bool counts_entries;
    int32_t speed;
};
constexpr std::array<TableRules, table_count> table_rules{{
    {'a', true, 0},
    {'c', true, 0},
    {'d', true, 0},
    {'k', false, 0},
    {'l', false, 0},
    {'m', false, 0},
    {'n', false, 0},
    {'g', true, 5},
    {'h', false, 10},
    {'i', false, 5},
    {'j', false, 5},
}};

// One rectangle table of the world as the checks see it.
struct TableView {
    std::string name;  // as the dump names it: "wall_table"
    char letter;
    const Rect* rects;
    int32_t count;
    bool counts_entries;       // one of the four counters place_camera turns into entry counts
    const int32_t* flags;      // taken or opened flags (item tables)
    const EnemyState* states;  // enemy tables
    int32_t speed;             // enemies: pixels per step
};

std::array<TableView, table_count> table_views(const World& w) {
    const auto tables = object_tables(w);
    std::array<TableView, table_count> views;
    for (size_t id = 0; id < views.size(); ++id) {
        const ConstObjectTable& t = tables[id];
        const TableRules& rules = table_rules[id];
        views[id] = {std::string(t.name) + "_table",
                     rules.letter,
                     t.rects.data(),
                     t.count,
                     rules.counts_entries,
                     t.flags.empty() ? nullptr : t.flags.data(),
                     t.states.empty() ? nullptr : t.states.data(),
                     rules.speed};
    }
    return views;
}

bool is_enemy(TableId id) {
    return id >= enemies_g;
}

// Every table's loops stop at 400: the item tables' capacity, and for the
// enemy tables the capacity of their state tables.
constexpr int32_t loop_capacity = table_capacity;
static_assert(enemy_state_capacity == table_capacity);

int32_t table_of(char letter) {
    for (int32_t id = 0; id < table_count; ++id) {
        if (table_rules[id].letter == letter) return id;
    }
    return -1;
}

void place(StageModel::Placement& p, const std::string& text, int32_t c, int32_t r) {
    if (text.size() != 1) return;
    const char letter = text[0];
    const int32_t table = table_of(letter);
    if (table >= 0) p.tables[table].push_back(Cell{c, r});
    if (letter == 'b') p.player = Cell{c, r};
    if (letter == 'f') p.door = Cell{c, r};
    if (letter == 'e') p.power_item = Cell{c, r};
}

// How a rectangle that may never have been placed looks: all four edges 0
// until a scroll moves it; a scroll along one axis sets that axis's far edge
// (right = left + 20, or bottom = top + 20) and leaves the other axis alone.
enum class Shape { full, zero, one_axis, broken };

Shape shape_of(const Rect& r) {
    const bool x_zero = r.left == 0 && r.right == 0;
    const bool y_zero = r.top == 0 && r.bottom == 0;
    const bool x_full = r.right == r.left + cell_size;
    const bool y_full = r.bottom == r.top + cell_size;
    if (x_full && y_full) return Shape::full;
    if (x_zero && y_zero) return Shape::zero;
    if ((x_zero || x_full) && (y_zero || y_full)) return Shape::one_axis;
    return Shape::broken;
}

bool full(const Rect& r) {
    return r.right == r.left + cell_size && r.bottom == r.top + cell_size;
}

int32_t count_flags(const int32_t* flags, int32_t entries) {
    int32_t n = 0;
    for (int32_t i = 1; i <= entries; ++i)
        n += flags[i] == 1 ? 1 : 0;
    return n;
}

bool contains(const std::vector<int32_t>& values, int32_t v) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

bool allowed_transition(int32_t from, int32_t to) {
    if (from == to) return from != state_miss && from != state_stage_clear;
    switch (from) {
        case state_title:
            return to == state_stage_intro;
        case state_stage_intro:
            return to == state_play || to == state_title;  // the title after a rejected stage
        case state_play:
            return to == state_miss || to == state_stage_clear;
        case state_miss:
            return to == state_play || to == state_game_over;
        case state_stage_clear:
            return to == state_stage_intro || to == state_ending || to == state_title;
        case state_game_over:
        case state_ending:
            return to == state_title;
        default:
            return false;
    }
}

}  // namespace

StageModel::StageModel(const std::vector<std::string>& row_texts) {
    rows = static_cast<int32_t>(row_texts.size());
    height = rows;
    for (const std::string& text : row_texts) {
        std::vector<std::string> row;
        for (std::string_view ch : stagefile::split_characters(text))
            row.emplace_back(ch);
        width = std::max(width, static_cast<int32_t>(row.size()));
        cells.push_back(std::move(row));
    }
    row_length = cells.empty() ? 0 : static_cast<int32_t>(cells.back().size());

    for (int32_t r = 1; r <= rows; ++r) {
        const auto& row = cells[r - 1];
        for (int32_t c = 1; c <= static_cast<int32_t>(row.size()); ++c)
            place(build, row[c - 1], c, r);
        // The rebuild reads the grid up to the last row's length: past a
        // shorter row's end the grid holds "z".
        for (int32_t c = 1; c <= row_length; ++c)
            place(rebuild, c <= static_cast<int32_t>(row.size()) ? row[c - 1] : "z", c, r);
    }

    framed = rows >= 3 && width >= 3;
    for (int32_t r = 0; framed && r < rows; ++r) {
        const auto& row = cells[r];
        framed =
            static_cast<int32_t>(row.size()) == width && row.front() == "a" && row.back() == "a";
        for (int32_t c = 0; framed && (r == 0 || r == rows - 1) && c < width; ++c)
            framed = row[c] == "a";
    }
}

template <typename... Parts>
bool Checker::expect(bool ok, const Parts&... parts) {
    if (ok) return true;
    if (problem_.empty()) {
        std::ostringstream text;
        (text << ... << parts);
        problem_ = text.str();
    }
    return false;
}

void Checker::start_session(const World& world) {
    model_ = nullptr;
    previous_state_ = world.game_state;
    previous_pose_ = world.player_pose;
    previous_door_open_ = world.door_open;
    previous_score_ = world.score;
    misses_ = 0;
    rebuilt_ = false;
    play_ticks_ = 0;
}

std::string Checker::after_tick(const World& w, const std::vector<int32_t>& sounds) {
    problem_.clear();
    const int32_t before = previous_state_;
    const int32_t now = w.game_state;

    if (before == state_title && now == state_stage_intro) model_ = next_model_;
    if (before == state_miss) ++misses_;  // end_play ran for the miss this tick
    const bool new_game = now == state_title && before != state_title;
    if (new_game) {
        misses_ = 0;
        model_ = nullptr;
    }

    expect(allowed_transition(before, now), "game_state went from ", before, " to ", now);
    check_any_state(w, sounds);
    expect(new_game || w.score >= previous_score_, "score fell from ", previous_score_, " to ",
           w.score, " within a game");

    const bool built = now == state_play || now == state_miss || now == state_stage_clear;
    expect(!built || model_, "play in state ", now, " with no stage started from the title");
    if (built && model_) {
        const bool build_event =
            now == state_play && (before == state_stage_intro || before == state_miss);
        build_event_ = build_event;
        if (build_event) {
            rebuilt_ = before == state_miss;
            play_ticks_ = 0;
            if (!rebuilt_) keys2_at_build_ = w.keys2_held;
        } else if (before == state_play) {
            ++play_ticks_;
        }
        find_offset(w);
        check_built_world(w, sounds);
        if (build_event) check_build_event(w);
    } else if (!built) {
        check_reset_world(w);
    }

    previous_state_ = now;
    previous_pose_ = w.player_pose;
    previous_door_open_ = w.door_open;
    previous_score_ = w.score;
    return problem_;
}

void Checker::check_any_state(const World& w, const std::vector<int32_t>& sounds) {
    const int32_t state = w.game_state;
    expect(state >= state_play && state <= state_ending, "game_state ", state, " is outside 0..6");

    for (const TableView& t : table_views(w)) {
        const int32_t low = t.counts_entries ? 0 : 1;
        expect(t.count >= low && t.count <= loop_capacity + 1, t.name, " counter ", t.count,
               " is outside ", low, "..", loop_capacity + 1);
    }

    // The player.
    const int32_t pose = w.player_pose, frame = w.player_frame;
    switch (pose) {
        case pose_stand:
        case pose_fall:
            expect(frame == 0, "player_frame ", frame, " in pose ", pose);
            break;
        case pose_ladder:
            expect(frame == 0 || frame == 1, "player_frame ", frame, " on a ladder");
            break;
        case pose_walk_left:
        case pose_walk_right:
            expect(frame >= 0 && frame <= 3, "player_frame ", frame, " while walking");
            break;
        case pose_dying:
            // The interaction step sets 1 and the frame of the same tick
            // advances it; the frame after 20 ends the life.
            if (state == state_play && (!model_ || placement().player)) {
                expect(frame >= 2 && frame <= 20, "player_frame ", frame, " while dying in play");
            } else if (state == state_play) {
                // A rebuild without "b" leaves the player dying past frame
                // 21, which no frame ends: the life is never lost.
                expect(frame >= 2, "player_frame ", frame, " while dying in play");
            } else {
                expect(frame >= 2 && frame <= 21, "player_frame ", frame, " in pose 6");
            }
            break;
        default:
            expect(false, "player_pose ", pose, " is not one of 0, 1, 2, 3, 5, 6");
    }
    expect(w.player_airborne == 0 || w.player_airborne == 1, "player_airborne ", w.player_airborne);
    expect(w.player_airborne == 0 || pose == pose_fall || pose == pose_dying,
           "player_airborne 1 in pose ", pose);
    expect(shape_of(w.player_rect) != Shape::broken, "player_rect ", w.player_rect,
           " is not 20 x 20");
    expect(w.player_shot_active == 0 || w.player_shot_active == 1, "player_shot_active ",
           w.player_shot_active);
    if (w.player_shot_active == 1) {
        expect(w.player_shot_heading == pose_walk_left || w.player_shot_heading == pose_walk_right,
               "a player shot flies with heading ", w.player_shot_heading);
        expect(w.power_taken == 1, "a player shot flies without the power item");
    }

    // Game scalars.
    expect(w.extra_life_step >= 1, "extra_life_step ", w.extra_life_step);
    expect(w.score >= 0 && w.score % 50 == 0, "score ", w.score, " is not a multiple of 50");
    expect(w.score >= (w.extra_life_step - 1) * 1500 && w.score < w.extra_life_step * 1500,
           "score ", w.score, " does not match extra_life_step ", w.extra_life_step);
    expect(w.lives == 2 + w.extra_life_step - misses_, "lives ", w.lives, " after ", misses_,
           " misses and ", w.extra_life_step - 1, " extra lives");
    expect(state == state_game_over ? w.lives == 0 : w.lives >= 1, "lives ", w.lives, " in state ",
           state);
    expect(w.stage_number == 1, "stage_number ", w.stage_number, " in a stage file of one stage");
    expect(w.keys1_held >= 0 && w.keys2_held >= 0, "keys held ", w.keys1_held, " and ",
           w.keys2_held);
    for (int32_t flag : {w.power_taken, w.door_open})
        expect(flag == 0 || flag == 1, "power_taken ", w.power_taken, ", door_open ", w.door_open);
    expect(w.hit_flag == 0 || w.hit_flag == -1, "hit_flag ", w.hit_flag);

    switch (state) {
        case state_title:
            expect(w.stage_file_open == 0 || w.stage_file_open == 1, "stage_file_open ",
                   w.stage_file_open, " on the title");
            break;
        case state_game_over:
            expect(w.stage_file_open == 1 || w.stage_file_open == 2, "stage_file_open ",
                   w.stage_file_open, " on the game over screen");
            break;
        default:
            expect(w.stage_file_open == 1, "stage_file_open ", w.stage_file_open, " in state ",
                   state);
    }
    expect(w.screen_timer >= 0 && w.screen_timer % 2 == 0, "screen_timer ", w.screen_timer);
    if (state == state_stage_intro || state == state_game_over) {
        expect(w.screen_timer <= 98, "screen_timer ", w.screen_timer, " in state ", state);
    } else if (state != state_ending) {
        expect(w.screen_timer == 0, "screen_timer ", w.screen_timer, " in state ", state);
    }
    expect(w.title_scroll >= 0 && w.title_scroll <= 24 && w.title_scroll % 2 == 0, "title_scroll ",
           w.title_scroll);
    for (int32_t offset : {w.backdrop_x, w.backdrop_y})
        expect(offset % 2 == 0 && offset > -100 && offset < 100, "backdrop offsets ", w.backdrop_x,
               ", ", w.backdrop_y);

    for (int32_t s : sounds)
        expect(s >= 1 && s <= 7, "sound effect ", s);

    if (state == state_ending) check_ending(w);
}

// Outside play the counters are back at 1 and the loops visit entry 1 of each
// table: an entry of the last stage, or a rectangle never placed.
void Checker::check_reset_world(const World& w) {
    for (const TableView& t : table_views(w)) {
        if (!expect(t.count == 1, t.name, " counter ", t.count, " in state ", w.game_state))
            continue;
        expect(shape_of(t.rects[1]) != Shape::broken, t.name, "[1] ", t.rects[1],
               " is not 20 x 20");
    }
    for (const Rect* r : {&w.door_rect, &w.power_item_rect})
        expect(shape_of(*r) != Shape::broken, "door or power item ", *r, " is not 20 x 20");
}

void Checker::check_built_world(const World& w, const std::vector<int32_t>& sounds) {
    const StageModel& m = *model_;
    const StageModel::Placement& p = placement();
    const auto views = table_views(w);

    expect(w.stage_rows == m.rows && w.row_length == m.row_length, "stage_rows ", w.stage_rows,
           ", row_length ", w.row_length, " for a stage of ", m.rows, " rows of ", m.row_length);

    // Counters: the four count their entries, the seven stay one above.
    bool counters_ok = true;
    for (int32_t id = 0; id < table_count; ++id) {
        const TableView& t = views[id];
        const int32_t entries = static_cast<int32_t>(p.tables[id].size());
        const int32_t expected = t.counts_entries ? entries : entries + 1;
        counters_ok &= expect(t.count == expected, t.name, " counter ", t.count, " for ", entries,
                              " \"", t.letter, "\" cells (expected ", expected, ")");
    }
    if (!counters_ok) return;

    // Every object sits at its cell moved by one common offset: the world
    // has no camera, a scroll moves everything alike.
    const bool have_offset = have_offset_;
    const int32_t ox = ox_, oy = oy_;
    const auto at_cell = [&](const Cell& cell) { return cell_at(cell); };
    const auto inside_frame_x = [&](int32_t left) {
        return !m.framed || (left - ox >= 2 * cell_size && left - ox <= (m.width - 1) * cell_size);
    };
    const auto inside_frame_y = [&](int32_t top) {
        return !m.framed || (top - oy >= 2 * cell_size && top - oy <= (m.height - 1) * cell_size);
    };

    bool one_axis = false;
    for (int32_t id = 0; id < table_count; ++id) {
        const TableView& t = views[id];
        const std::vector<Cell>& cells = p.tables[id];
        const int32_t entries = static_cast<int32_t>(cells.size());
        const int32_t last = loop_end(t.count, loop_capacity);
        for (int32_t i = 1; i <= std::min(entries, last); ++i) {
            const Rect& r = t.rects[i];
            if (!expect(full(r), t.name, "[", i, "] ", r, " is not 20 x 20")) break;
            if (!have_offset) continue;
            const Rect cell = at_cell(cells[i - 1]);
            if (!is_enemy(static_cast<TableId>(id))) {
                if (!expect(r == cell, t.name, "[", i, "] ", r, " is not at its cell (",
                            cells[i - 1].c, ", ", cells[i - 1].r,
                            ") where the other objects put it ", cell))
                    break;
                continue;
            }
            // Enemies walk along their row in steps of their speed; they
            // never move up or down and never leave the stage's frame.
            if (!expect(r.top == cell.top && (r.left - cell.left) % t.speed == 0 &&
                            inside_frame_x(r.left),
                        t.name, "[", i, "] ", r, " has left the row of its cell ", cell,
                        " or its steps of ", t.speed))
                break;
        }
        if (t.flags) {
            for (int32_t i = 1; i <= std::min(entries, last); ++i) {
                if (!expect(t.flags[i] == 0 || t.flags[i] == 1, t.name, " flag ", i, " is ",
                            t.flags[i]))
                    break;
            }
        }
        // The slot just past the last entry of the seven: moved with every
        // scroll, never placed.
        if (!t.counts_entries && entries + 1 <= last) {
            const Shape s = shape_of(t.rects[entries + 1]);
            expect(s != Shape::broken, t.name, "[", entries + 1, "] (past the last entry) ",
                   t.rects[entries + 1], " is neither 20 x 20 nor an unplaced rectangle");
            one_axis |= s == Shape::one_axis;
        }
        if (!t.states) continue;

        // Enemy states of every index the loops visit.
        // Only the build marks a kind without enemies; a rebuild that lost
        // them (past the last row's length) leaves entry 2 as it was.
        const bool absent = entries == 0 && m.build.tables[id].empty();
        if (absent) {
            expect(t.rects[2].left == empty_marker, t.name, "[2].left is ", t.rects[2].left,
                   " in a stage without \"", t.letter, "\" (expected ", empty_marker, ")");
        }
        for (int32_t i = 1; i <= last; ++i) {
            const EnemyState& s = t.states[i];
            const bool slot = i > entries;
            const char* what = slot ? " (past the last entry)" : "";
            bool ok = true;
            if (s.enemy_pose == 6) {
                ok &= expect(s.enemy_frame >= 0 && s.enemy_frame <= 20, t.name, " state ", i, what,
                             ": frame ", s.enemy_frame, " while vanishing");
            } else {
                ok &= expect(s.enemy_pose == 0 || s.enemy_pose == 2 || s.enemy_pose == 3, t.name,
                             " state ", i, what, ": pose ", s.enemy_pose,
                             " is not one of 0, 2, 3, 6");
                ok &= expect(s.enemy_frame >= 0 && s.enemy_frame <= 3, t.name, " state ", i, what,
                             ": frame ", s.enemy_frame, " in pose ", s.enemy_pose);
                // Every enemy the steps visit turns or walks on its first step.
                ok &= expect(absent || play_ticks_ == 0 || s.enemy_pose != 0, t.name, " state ", i,
                             what, ": pose 0 after ", play_ticks_, " play steps");
            }
            const int32_t max_armour = id == enemies_i ? 1 : id == enemies_j ? 2 : 0;
            ok &= expect(s.enemy_armour >= 0 && s.enemy_armour <= max_armour, t.name, " state ", i,
                         what, ": armour ", s.enemy_armour);
            if (!ok) break;
        }
    }

    if (one_axis) ++one_axis_slot_ticks_;

    // Enemy shots (kind i), by the index of their enemy.
    {
        const TableView& t = views[enemies_i];
        const std::vector<Cell>& cells = p.tables[enemies_i];
        const int32_t entries = static_cast<int32_t>(cells.size());
        const int32_t last = loop_end(t.count, enemy_shot_capacity);
        for (int32_t k = 1; k <= last; ++k) {
            const EnemyState& s = w.enemy_i_state[k];
            const Rect& shot = w.enemy_shot_table[k];
            bool ok = expect(s.enemy_shot_active == 0 || s.enemy_shot_active == 1, "enemy_i_state ",
                             k, ": shot flag ", s.enemy_shot_active);
            ok &= expect(
                s.enemy_shot_heading == 0 || s.enemy_shot_heading == 2 || s.enemy_shot_heading == 3,
                "enemy_i_state ", k, ": shot heading ", s.enemy_shot_heading);
            if (ok && s.enemy_shot_active == 1) {
                ok &= expect(s.enemy_shot_heading != 0, "enemy shot ", k, " flies with heading 0");
                // As tall as its enemy was: 20, or 0 for the slot past the
                // last entry while that slot has no height.
                const int32_t height = shot.bottom - shot.top;
                ok &= expect(shot.right == shot.left + cell_size &&
                                 (height == cell_size || (k > entries && height == 0)),
                             "enemy_shot_table[", k, "] ", shot, " is not 20 wide and ",
                             k > entries ? "0 or 20" : "20", " tall");
                if (ok && k <= entries && have_offset) {
                    // It keeps the height of its enemy's row; it moves 10 a
                    // tick and the world 5 sideways.
                    ok &= expect(
                        shot.top - oy == cells[k - 1].r * cell_size && (shot.left - ox) % 5 == 0,
                        "enemy_shot_table[", k, "] ", shot, " has left the row of enemy ", k,
                        " at top ", cells[k - 1].r * cell_size + oy);
                }
            }
            if (!ok) break;
        }
    }

    // Single objects.
    if (p.door && have_offset) {
        expect(w.door_rect == at_cell(*p.door), "door_rect ", w.door_rect, " is not at its cell ",
               at_cell(*p.door));
    } else {
        check_loose_rect(w.door_rect, "door_rect", 0);
    }
    if (p.power_item && have_offset) {
        expect(w.power_item_rect == at_cell(*p.power_item), "power_item_rect ", w.power_item_rect,
               " is not at its cell ", at_cell(*p.power_item));
    } else {
        check_loose_rect(w.power_item_rect, "power_item_rect", 0);
    }
    if (p.player) {
        const Rect& r = w.player_rect;
        expect(full(r), "player_rect ", r, " is not 20 x 20");
        if (have_offset) {
            expect((r.left - ox) % 5 == 0 && (r.top - oy) % 5 == 0, "player_rect ", r,
                   " is off the 5-pixel steps of the world at offset (", ox, ", ", oy, ")");
            expect(inside_frame_x(r.left) && inside_frame_y(r.top), "player_rect ", r,
                   " has left the stage's frame (stage offset ", ox, ", ", oy, ")");
        }
        if (m.framed) {
            // Placed in view, and the scroll keeps it there.
            expect(r.left >= 0 && r.left <= view_size - cell_size && r.top >= 0 &&
                       r.top <= view_size - cell_size,
                   "player_rect ", r, " is outside the 200 x 200 view");
        }
    }
    if (w.player_shot_active == 1) {
        expect(full(w.player_shot_rect), "player_shot_rect ", w.player_shot_rect,
               " is not 20 x 20");
        if (have_offset && p.player) {
            expect((w.player_shot_rect.top - oy) % 5 == 0, "player_shot_rect ", w.player_shot_rect,
                   " is off the world's 5-pixel steps");
        }
    }

    // Keys in hand: those taken less the locks opened (kind 2 keeps what it
    // carried into the stage).
    const auto taken = [&](TableId id) {
        const int32_t entries = static_cast<int32_t>(p.tables[id].size());
        return count_flags(views[id].flags, std::min(entries, loop_capacity));
    };
    expect(w.keys1_held == taken(keys1) - taken(locks1), "keys1_held ", w.keys1_held, " with ",
           taken(keys1), " kind-1 keys taken and ", taken(locks1), " kind-1 locks opened");
    expect(w.keys2_held == keys2_at_build_ + taken(keys2) - taken(locks2), "keys2_held ",
           w.keys2_held, " with ", keys2_at_build_, " carried in, ", taken(keys2),
           " kind-2 keys taken and ", taken(locks2), " kind-2 locks opened");

    // The door is open exactly when every coin (at least one) is taken.
    if (p.door) {
        const int32_t coin_entries = static_cast<int32_t>(p.tables[coins].size());
        const bool all_taken = coin_entries > 0 && taken(coins) == coin_entries;
        expect(w.door_open == (all_taken ? 1 : 0), "door_open ", w.door_open, " with ",
               taken(coins), " of ", coin_entries, " coins taken");
        if (previous_door_open_ == 0 && w.door_open == 1 && previous_state_ == state_play) {
            expect(contains(sounds, 3), "the door opened without sound 3");
        }
    }
    if (previous_state_ == state_play && previous_pose_ != pose_dying &&
        w.player_pose == pose_dying) {
        expect(contains(sounds, 4), "the player was caught without sound 4");
    }

    // Items are taken and locks opened once, and a rebuild keeps them so;
    // enemies shot down stay down until the stage is built again. Each play
    // step adds to the score exactly what it took and shot down.
    Progress now;
    for (int32_t id = coins; id <= locks2; ++id)
        now.flags[id - coins] = taken(static_cast<TableId>(id));
    for (int32_t id = enemies_g; id <= enemies_j; ++id) {
        const TableView& t = views[id];
        int32_t down = 0;
        for (int32_t i = 1; i <= loop_end(t.count, loop_capacity); ++i)
            down += t.states[i].enemy_pose == 6 ? 1 : 0;
        now.down[id - enemies_g] = down;
    }
    if (!build_event_ || rebuilt_) {
        for (size_t f = 0; f < now.flags.size(); ++f)
            expect(now.flags[f] >= progress_.flags[f], views[coins + f].name,
                   ": flags set fell from ", progress_.flags[f], " to ", now.flags[f]);
    }
    if (!build_event_) {
        static constexpr std::array<int32_t, 4> points{100, 150, 200, 150};
        int32_t gained = 50 * (now.flags[0] - progress_.flags[0]);
        for (size_t k = 0; k < now.down.size(); ++k) {
            expect(now.down[k] >= progress_.down[k], views[enemies_g + k].name,
                   ": enemies shot down fell from ", progress_.down[k], " to ", now.down[k]);
            gained += points[k] * (now.down[k] - progress_.down[k]);
        }
        expect(w.score - previous_score_ == gained, "score rose by ", w.score - previous_score_,
               " in a tick that took coins and shot enemies worth ", gained);
    } else {
        expect(w.score == previous_score_, "score changed by ", w.score - previous_score_,
               " when the stage was built");
    }
    progress_ = now;
}

// The offset by which the scroll has moved the stage: that of the first
// entry of the first table of fixed objects that has one.
void Checker::find_offset(const World& w) {
    const StageModel::Placement& p = placement();
    const auto views = table_views(w);
    have_offset_ = false;
    for (int32_t id = walls; id <= locks2; ++id) {
        if (p.tables[id].empty()) continue;
        const Rect& first = views[id].rects[1];
        ox_ = first.left - p.tables[id][0].c * cell_size;
        oy_ = first.top - p.tables[id][0].r * cell_size;
        have_offset_ = true;
        return;
    }
}

Rect Checker::cell_at(const Cell& cell) const {
    const int32_t left = cell.c * cell_size + ox_;
    const int32_t top = cell.r * cell_size + oy_;
    return Rect{left, top, left + cell_size, top + cell_size};
}

// The tick that built or rebuilt the stage: everything at its start.
void Checker::check_build_event(const World& w) {
    const StageModel& m = *model_;
    const StageModel::Placement& p = placement();
    const auto views = table_views(w);

    // The grid holds the stage's letters, and "z" around them.
    for (int32_t r = 1; r <= std::min(m.rows + 1, grid_capacity); ++r) {
        for (int32_t c = 1; c <= std::min(m.width + 1, grid_capacity); ++c) {
            const bool inside = r <= m.rows && c <= static_cast<int32_t>(m.cells[r - 1].size());
            const std::string_view expected =
                inside ? std::string_view(m.cells[r - 1][c - 1]) : "z";
            if (!expect(w.stage_grid[c][r].text() == expected, "stage_grid(", c, ", ", r, ") is \"",
                        w.stage_grid[c][r].text(), "\", the stage has \"", expected, "\""))
                return;
        }
    }

    if (p.player) {
        if (have_offset_) {
            expect(w.player_rect == cell_at(*p.player), "the player starts at ", w.player_rect,
                   ", not at its cell ", cell_at(*p.player));
        }
        expect(w.player_pose == pose_stand && w.player_frame == 0 && w.player_airborne == 0,
               "the player starts with pose ", w.player_pose, ", frame ", w.player_frame,
               ", airborne ", w.player_airborne);
    }
    expect(w.player_shot_active == 0, "a player shot flies into the new start");
    for (int32_t id = enemies_g; id <= enemies_j; ++id) {
        const int32_t entries = static_cast<int32_t>(p.tables[id].size());
        for (int32_t i = 1; i <= entries; ++i) {
            const EnemyState& s = views[id].states[i];
            const int32_t armour = id == enemies_i ? 1 : id == enemies_j ? 2 : s.enemy_armour;
            if (!expect(s.enemy_pose == 0 && s.enemy_frame == 0 && s.enemy_armour == armour,
                        views[id].name, " state ", i, " starts with pose ", s.enemy_pose,
                        ", frame ", s.enemy_frame, ", armour ", s.enemy_armour))
                break;
        }
    }
    const int32_t i_entries = static_cast<int32_t>(p.tables[enemies_i].size());
    for (int32_t k = 1; k <= std::min(i_entries + 1, enemy_shot_capacity); ++k) {
        if (!expect(w.enemy_i_state[k].enemy_shot_active == 0, "enemy shot ", k,
                    " flies into the new start"))
            break;
    }
    if (rebuilt_) return;
    for (int32_t id = coins; id <= locks2; ++id) {
        const int32_t entries = static_cast<int32_t>(p.tables[id].size());
        if (count_flags(views[id].flags, entries) != 0) {
            expect(false, views[id].name, ": a flag is set when the stage starts");
            break;
        }
    }
    if (p.door) expect(w.door_open == 0, "the door is open when the stage starts");
    if (p.power_item) expect(w.power_taken == 0, "the power item is taken when the stage starts");
}

void Checker::check_ending(const World& w) {
    expect(w.ending_title_y >= 0 && w.ending_title_y <= 200 && w.ending_title_y % 10 == 0,
           "ending_title_y ", w.ending_title_y);
    expect(w.ending_thanks_y >= 100 && w.ending_thanks_y <= 200, "ending_thanks_y ",
           w.ending_thanks_y);
    for (int32_t i = 1; i <= cloud_capacity; ++i) {
        const int32_t speed = w.cloud_speed[i];
        const Rect& cloud = w.cloud_table[i];
        if (!expect(speed >= 1 && speed <= 5 && cloud.left >= -60 && cloud.left <= 205 &&
                        cloud.top >= 0 && cloud.top <= 149,
                    "cloud ", i, " at ", cloud.left, ", ", cloud.top, " with speed ", speed))
            break;
    }
}

void Checker::check_loose_rect(const Rect& rect, const char* what, int32_t index) {
    expect(shape_of(rect) != Shape::broken, what, index > 0 ? "[" : "",
           index > 0 ? std::to_string(index) : std::string(), index > 0 ? "]" : "", " ", rect,
           " is neither 20 x 20 nor an unplaced rectangle");
}

}  // namespace vorne::soak
