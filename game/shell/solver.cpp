#include "game/shell/solver.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <span>
#include <unordered_set>

#include "game/actors/actors.h"
#include "game/world/object_tables.h"

namespace vorne {

// ---------------------------------------------------------------------------
// StateCodec

namespace {

uint64_t mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h *= 0xFF51AFD7ED558CCDull;
    return h ^ (h >> 32);
}

uint64_t hash_bytes(const std::byte* p, size_t n) {
    uint64_t h = 0xCBF29CE484222325ull;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v = 0;
        std::memcpy(&v, p + i, 8);
        h = mix(h, v);
    }
    for (; i < n; ++i)
        h = mix(h, static_cast<uint64_t>(p[i]));
    return h;
}

template <typename T>
size_t offset_in(const World& w, const T* p) {
    return static_cast<size_t>(reinterpret_cast<const std::byte*>(p) -
                               reinterpret_cast<const std::byte*>(&w));
}

// The entries 0..counter (never past the table) of a table: what play visits.
template <typename T>
size_t used_bytes(std::span<const T> table, int32_t counter) {
    const int32_t last = loop_end(counter, static_cast<int32_t>(table.size()) - 1);
    return static_cast<size_t>(std::max(last, 0) + 1) * sizeof(T);
}

}  // namespace

StateCodec::StateCodec(const World& root) {
    for (const ConstObjectTable& t : object_tables(root)) {
        static_pieces_.push_back({offset_in(root, &t.count), sizeof(int32_t)});
        // Walls and items move only with the scroll: shared. Enemies move.
        auto& rects = t.states.empty() ? static_pieces_ : dynamic_pieces_;
        rects.push_back({offset_in(root, t.rects.data()), used_bytes(t.rects, t.count)});
        if (!t.flags.empty())
            dynamic_pieces_.push_back(
                {offset_in(root, t.flags.data()), used_bytes(t.flags, t.count)});
        if (!t.states.empty())
            dynamic_pieces_.push_back(
                {offset_in(root, t.states.data()), used_bytes(t.states, t.count)});
    }
    dynamic_pieces_.push_back(
        {offset_in(root, root.enemy_shot_table.data()),
         used_bytes(std::span<const Rect>(root.enemy_shot_table), root.enemy_i_count)});
    // Every single object and scalar: all that lies after the tables but the
    // stage grid, which play never changes.
    const size_t singles = offset_in(root, &root.player_rect);
    const size_t grid = offset_in(root, &root.stage_grid);
    const size_t after_grid = grid + sizeof(root.stage_grid);
    dynamic_pieces_.push_back({singles, grid - singles});
    dynamic_pieces_.push_back({after_grid, sizeof(World) - after_grid});
    for (const Piece& p : static_pieces_)
        static_size_ += p.size;
    for (const Piece& p : dynamic_pieces_)
        dynamic_size_ += p.size;
    scratch_.resize(static_size_);
}

void StateCodec::gather(const World& world, const std::vector<Piece>& pieces, std::byte* out) {
    const std::byte* base = reinterpret_cast<const std::byte*>(&world);
    for (const Piece& p : pieces) {
        std::memcpy(out, base + p.offset, p.size);
        out += p.size;
    }
}

void StateCodec::scatter(const std::byte* in, const std::vector<Piece>& pieces, World& world) {
    std::byte* base = reinterpret_cast<std::byte*>(&world);
    for (const Piece& p : pieces) {
        std::memcpy(base + p.offset, in, p.size);
        in += p.size;
    }
}

void StateCodec::save(const World& world, State& out) {
    gather(world, static_pieces_, scratch_.data());
    const uint64_t h = hash_bytes(scratch_.data(), static_size_);
    uint32_t id = 0;
    bool found = false;
    for (auto [it, end] = statics_index_.equal_range(h); it != end; ++it) {
        if (std::memcmp(statics_[it->second].data(), scratch_.data(), static_size_) == 0) {
            id = it->second;
            found = true;
            break;
        }
    }
    if (!found) {
        id = static_cast<uint32_t>(statics_.size());
        statics_.push_back(scratch_);
        statics_index_.emplace(h, id);
    }
    out.statics = id;
    out.data.resize(dynamic_size_);
    gather(world, dynamic_pieces_, out.data.data());
}

void StateCodec::load(const State& state, World& world) const {
    scatter(statics_[state.statics].data(), static_pieces_, world);
    scatter(state.data.data(), dynamic_pieces_, world);
}

// ---------------------------------------------------------------------------
// The search

namespace {

class SilentSound : public SoundPort {
  public:
    void play_effect(int32_t) override {}
};

struct Action {
    int16_t stick_x;
    int16_t stick_y;
    int32_t buttons;
};

// Walking, climbing, waiting, and firing while walking (a shot leaves only
// from a walking pose). Diagonals add nothing the others cannot do.
constexpr Action actions[] = {
    {1, 0, 0}, {-1, 0, 0},          {0, -1, 0},           {0, 1, 0},
    {0, 0, 0}, {1, 0, button_fire}, {-1, 0, button_fire},
};
constexpr uint8_t wait_action = 4;
constexpr uint8_t first_fire_action = 5;

void play_tick(World& w, const Action& a, SoundPort& sound) {
    // What the input step leaves in the world before the rules of play.
    w.stick_x = a.stick_x;
    w.stick_y = a.stick_y;
    w.buttons = a.buttons;
    run_play_rules(w, sound);
}

// Which coins, keys, locks and the power item are taken or opened.
uint64_t items_key(const World& w, int32_t* taken = nullptr) {
    uint64_t h = mix(0, static_cast<uint64_t>(w.power_taken));
    int32_t n = w.power_taken;
    for (const ConstObjectTable& t : object_tables(w)) {
        if (t.flags.empty()) continue;
        const int32_t last = loop_end(t.count, static_cast<int32_t>(t.flags.size()) - 1);
        for (int32_t i = 1; i <= last; ++i) {
            h = mix(h, static_cast<uint64_t>(t.flags[i]));
            n += t.flags[i] != 0 ? 1 : 0;
        }
    }
    if (taken) *taken = n;
    return h;
}

int32_t items_total(const World& w) {
    int32_t n = w.power_item_rect == Rect{} ? 0 : 1;
    for (const ConstObjectTable& t : object_tables(w)) {
        if (t.flags.empty()) continue;
        // Counters that stay one above their entries count one slot too many;
        // the figure is only for progress reports.
        n += std::max(t.count - 1, 0);
    }
    return n;
}

// What can still hurt the player: an enemy not shot down, or an enemy's shot
// in flight. With nothing, waiting and firing change nothing.
bool threats(const World& w) {
    for (const ConstObjectTable& t : object_tables(w)) {
        if (t.states.empty()) continue;
        if (t.rects[2].left == empty_marker) continue;  // no enemy of the kind
        const int32_t last = loop_end(t.count, static_cast<int32_t>(t.states.size()) - 1);
        for (int32_t i = 1; i <= last; ++i) {
            if (t.states[i].enemy_pose != enemy_down) return true;
            if (t.states[i].enemy_shot_active == 1) return true;
        }
    }
    return false;
}

// Whether a shot fired now can meet an enemy: one not shot down on the
// player's floor (its rows overlap the player's). Firing elsewhere is left
// out of the search.
bool target_in_line(const World& w) {
    if (w.power_taken != 1) return false;
    for (const ConstObjectTable& t : object_tables(w)) {
        if (t.states.empty()) continue;
        if (t.rects[2].left == empty_marker) continue;
        const int32_t last = loop_end(t.count, static_cast<int32_t>(t.states.size()) - 1);
        for (int32_t i = 1; i <= last; ++i) {
            const Rect& e = t.rects[i];
            if (t.states[i].enemy_pose != enemy_down && e.top < w.player_rect.bottom &&
                e.bottom > w.player_rect.top)
                return true;
        }
    }
    return false;
}

// The player's place in the stage, whether its shot flies and what it has
// taken: two states with the same key differ at most in where the enemies are.
uint64_t player_key(const World& w, uint64_t items) {
    uint64_t h = mix(items, static_cast<uint32_t>(w.player_rect.left));
    h = mix(h, static_cast<uint32_t>(w.player_rect.top));
    h = mix(h, static_cast<uint32_t>(w.wall_table[1].left));
    h = mix(h, static_cast<uint32_t>(w.wall_table[1].top));
    h = mix(h, static_cast<uint64_t>(w.keys1_held) << 32 | static_cast<uint32_t>(w.keys2_held));
    // Whether a shot flies, not where: the places of shots would multiply the
    // states many times for little.
    return mix(h, static_cast<uint64_t>(w.player_shot_active));
}

// Adds the enemies (place, pose, armour, shots) to a player key. Animation
// frames, the score and the backdrop change no rule and are left out.
uint64_t full_key(const World& w, uint64_t player) {
    uint64_t h = player;
    for (const ConstObjectTable& t : object_tables(w)) {
        if (t.states.empty()) continue;
        const int32_t last = loop_end(t.count, static_cast<int32_t>(t.states.size()) - 1);
        for (int32_t i = 1; i <= last; ++i) {
            const EnemyState& s = t.states[i];
            h = mix(h, static_cast<uint32_t>(t.rects[i].left));
            h = mix(h, static_cast<uint32_t>(t.rects[i].top));
            h = mix(h, static_cast<uint64_t>(s.enemy_pose) << 40 |
                           static_cast<uint64_t>(s.enemy_armour) << 20 |
                           static_cast<uint64_t>(s.enemy_shot_active));
        }
    }
    const int32_t shots = loop_end(w.enemy_i_count, enemy_shot_capacity);
    for (int32_t i = 1; i <= shots; ++i) {
        if (w.enemy_i_state[i].enemy_shot_active != 1) continue;
        h = mix(h, static_cast<uint32_t>(w.enemy_shot_table[i].left));
        h = mix(h, static_cast<uint32_t>(w.enemy_shot_table[i].top));
    }
    return h;
}

using Clock = std::chrono::steady_clock;

// One step of the plan: a state where something was taken (or the start),
// the input that led there from the step before, and the ways on from it.
struct Event {
    StateCodec::State state;
    std::vector<uint8_t> path;  // actions from the previous event
};

struct Level {
    Event event;
    std::vector<Event> next;
    size_t tried = 0;
};

// How wide the search looks. Waiting for enemies costs states: each place of
// the player is searched again with the enemies elsewhere at most max_visits
// times.
struct SearchParams {
    size_t max_events;          // ways on from one take
    size_t takes_per_item;      // the same take at other times
    int32_t event_slack_ticks;  // how much later than the first another take may come
    uint16_t max_visits;
};

// Tried in turn while the budget lasts: the narrow ones are quick and, when
// they fail, mostly fail quickly.
constexpr SearchParams search_plans[] = {
    {3, 1, 30, 40},
    {3, 1, 30, 250},
    {6, 3, 60, 120},
};

class Solver {
  public:
    Solver(const World& start, const SolveControl& control, const SearchParams& params,
           Clock::time_point started)
        : params_(params),
          control_(control),
          work_(std::make_unique<World>(start)),
          codec_(start),
          started_(started),
          deadline_(started_ + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(control.budget_seconds))),
          items_total_(items_total(start)) {}

    SolveResult run(const World& start);

  private:
    // Searches breadth first, tick by tick, from one event to the next ones:
    // the first states where something more is taken, at most params_.max_events of
    // them (different things taken), the earliest first. Entering the door
    // ends the whole search (clear_ holds the way).
    std::vector<Event> next_events(const Event& from);
    bool out_of_time();
    void report();

    static constexpr int32_t max_segment_ticks = 3000;
    static constexpr int64_t max_segment_states = 400000;
    static constexpr int32_t take_spacing_ticks = 8;

    const SearchParams params_;
    const SolveControl& control_;
    std::unique_ptr<World> work_;
    StateCodec codec_;
    SilentSound sound_;
    Clock::time_point started_;
    Clock::time_point deadline_;
    Clock::time_point next_report_{};
    bool stopped_ = false;
    bool cancelled_ = false;
    int64_t states_ = 0;
    int32_t items_total_ = 0;
    int32_t best_taken_ = 0;
    std::vector<uint8_t> clear_;  // the way from the last event into the door
    bool cleared_ = false;
};

bool Solver::out_of_time() {
    if (stopped_) return true;
    if ((states_ & 1023) != 0) return false;
    const auto now = Clock::now();
    if (control_.cancel && control_.cancel->load()) {
        cancelled_ = true;
        stopped_ = true;
    } else if (now >= deadline_) {
        stopped_ = true;
    }
    if (control_.progress && now >= next_report_) {
        next_report_ = now + std::chrono::milliseconds(250);
        report();
    }
    return stopped_;
}

void Solver::report() {
    SolveProgress p;
    p.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    p.items_taken = best_taken_;
    p.items_total = items_total_;
    p.states = states_;
    control_.progress(p);
}

std::vector<Event> Solver::next_events(const Event& from) {
    struct Link {
        int32_t parent;
        uint8_t action;
    };
    struct Open {
        int32_t node;
        StateCodec::State state;
    };
    std::vector<Link> links{{-1, 0}};
    std::vector<Open> frontier;
    std::vector<Open> next;
    frontier.push_back({0, from.state});
    std::unordered_set<uint64_t> seen;
    std::unordered_map<uint64_t, uint16_t> visits;
    std::vector<Event> events;
    std::vector<uint64_t> event_items;
    std::vector<int32_t> event_ticks;

    codec_.load(from.state, *work_);
    const uint64_t start_items = items_key(*work_);
    seen.insert(full_key(*work_, player_key(*work_, start_items)));

    auto path_to = [&](int32_t node) {
        std::vector<uint8_t> path;
        for (; node > 0; node = links[node].parent)
            path.push_back(links[node].action);
        std::reverse(path.begin(), path.end());
        return path;
    };

    int32_t event_deadline = max_segment_ticks;
    for (int32_t tick = 1; tick <= std::min(max_segment_ticks, event_deadline); ++tick) {
        next.clear();
        for (Open& open : frontier) {
            codec_.load(open.state, *work_);
            // What is worth trying here: with nothing left that can hurt,
            // waiting and firing change nothing.
            const bool danger = threats(*work_);
            const uint8_t action_end = !danger                  ? wait_action
                                       : target_in_line(*work_) ? std::size(actions)
                                                                : first_fire_action;
            for (uint8_t a = 0; a < action_end; ++a) {
                ++states_;
                if (out_of_time()) return events;
                if (a > 0) codec_.load(open.state, *work_);
                play_tick(*work_, actions[a], sound_);
                if (work_->player_pose == pose_dying) continue;
                if (work_->game_state == state_stage_clear) {
                    links.push_back({open.node, a});
                    clear_ = path_to(static_cast<int32_t>(links.size()) - 1);
                    cleared_ = true;
                    return events;
                }
                if (work_->game_state != state_play) continue;
                int32_t taken = 0;
                const uint64_t items = items_key(*work_, &taken);
                if (items != start_items) {
                    // The same take a little later is another way on: a take
                    // that leaves the player where it cannot be saved is
                    // then not the only one.
                    size_t same = 0;
                    int32_t last_tick = -max_segment_ticks;
                    for (size_t e = 0; e < events.size(); ++e) {
                        if (event_items[e] != items) continue;
                        ++same;
                        last_tick = std::max(last_tick, event_ticks[e]);
                    }
                    if (same >= params_.takes_per_item || tick < last_tick + take_spacing_ticks)
                        continue;
                    links.push_back({open.node, a});
                    Event e;
                    codec_.save(*work_, e.state);
                    e.path = path_to(static_cast<int32_t>(links.size()) - 1);
                    events.push_back(std::move(e));
                    event_items.push_back(items);
                    event_ticks.push_back(tick);
                    best_taken_ = std::max(best_taken_, taken);
                    if (events.size() == 1) event_deadline = tick + params_.event_slack_ticks;
                    continue;
                }
                const uint64_t pk = player_key(*work_, items);
                if (!seen.insert(full_key(*work_, pk)).second) continue;
                if (danger) {
                    uint16_t& count = visits[pk];
                    if (count >= params_.max_visits) continue;
                    ++count;
                }
                links.push_back({open.node, a});
                Open child{static_cast<int32_t>(links.size()) - 1, {}};
                codec_.save(*work_, child.state);
                next.push_back(std::move(child));
            }
        }
        frontier.swap(next);
        if (frontier.empty() || events.size() >= params_.max_events) break;
        if (static_cast<int64_t>(links.size()) > max_segment_states) break;
    }
    return events;
}

SolveResult Solver::run(const World& start) {
    SolveResult result;
    std::vector<Level> levels;
    Level first;
    codec_.save(start, first.event.state);
    levels.push_back(std::move(first));
    levels.back().next = next_events(levels.back().event);
    // Event states already searched from: another order of the same takes
    // that leads to the very same state need not be searched again.
    std::unordered_set<uint64_t> searched;

    while (!levels.empty() && !cleared_ && !stopped_) {
        Level& top = levels.back();
        if (top.tried >= top.next.size()) {
            levels.pop_back();
            continue;
        }
        Event event = std::move(top.next[top.tried++]);
        codec_.load(event.state, *work_);
        const uint64_t key = full_key(*work_, player_key(*work_, items_key(*work_)));
        if (!searched.insert(key).second) continue;
        Level level;
        level.event = std::move(event);
        level.next = next_events(level.event);
        levels.push_back(std::move(level));
    }

    result.states = states_;
    result.cancelled = cancelled_;
    result.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    if (!cleared_) return result;
    result.solved = true;
    auto append = [&](const std::vector<uint8_t>& path) {
        for (uint8_t a : path)
            result.ticks.push_back(
                InputStep{1, actions[a].stick_x, actions[a].stick_y, actions[a].buttons});
    };
    for (size_t i = 1; i < levels.size(); ++i)
        append(levels[i].event.path);
    append(clear_);
    return result;
}

}  // namespace

SolveResult solve_play(const World& start, const SolveControl& control) {
    if (start.game_state != state_play) return {};
    const auto started = Clock::now();
    SolveResult result;
    int64_t states = 0;
    for (const SearchParams& params : search_plans) {
        Solver solver(start, control, params, started);
        result = solver.run(start);
        states += result.states;
        result.states = states;
        if (result.solved || result.cancelled || result.seconds >= control.budget_seconds) break;
    }
    return result;
}

}  // namespace vorne
