#include "game/proof/reach.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "game/actors/actors.h"
#include "game/world/builder.h"
#include "game/world/reset.h"
#include "game/world/scroll.h"
#include "game/world/stage_file.h"
#include "game/world/world.h"
#include "stagefile/blocks.h"
#include "stagefile/chars.h"
#include "stagefile/letters.h"
#include "stagefile/reader.h"
#include "stagefile/writer.h"

namespace vorne {
namespace {

using stagefile::Object;

class Silence : public SoundPort {
  public:
    void play_effect(int32_t) override {}
};

bool is_enemy(Object object) {
    return object == Object::enemy_g || object == Object::enemy_h || object == Object::enemy_i ||
           object == Object::enemy_j;
}

// Where the builder put each item: the tables fill row by row, left to right,
// and a single object is the last one placed.
struct Layout {
    std::vector<ReachCell> coins;  // index j - 1 is entry j of coin_table
    std::vector<ReachCell> keys1;
    std::vector<ReachCell> keys2;
    std::optional<ReachCell> power_item;
    std::optional<ReachCell> door;
    bool start = false;
    bool enemies = false;
    bool locks2 = false;
};

// The stage's rows as the builder gets them, enemies left as empty cells,
// and where its items lie.
std::vector<std::string> rows_without_enemies(const std::vector<std::string>& rows,
                                              Layout& layout) {
    std::vector<std::string> out;
    out.reserve(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        std::string row;
        int32_t column = 0;
        for (std::string_view cell : stagefile::split_characters(rows[r])) {
            ++column;
            const ReachCell at{ReachItem::coin, static_cast<int32_t>(r) + 1, column};
            const Object object = stagefile::letter_of(cell).object;
            if (is_enemy(object)) {
                layout.enemies = true;
                row += stagefile::letter(Object::empty).text;
                continue;
            }
            row += cell;
            switch (object) {
                case Object::coin:
                    layout.coins.push_back(at);
                    break;
                case Object::key1:
                    layout.keys1.push_back({ReachItem::key1, at.row, at.column});
                    break;
                case Object::key2:
                    layout.keys2.push_back({ReachItem::key2, at.row, at.column});
                    break;
                case Object::power_item:
                    layout.power_item = ReachCell{ReachItem::power_item, at.row, at.column};
                    break;
                case Object::door:
                    layout.door = ReachCell{ReachItem::door, at.row, at.column};
                    break;
                case Object::player_start:
                    layout.start = true;
                    break;
                case Object::lock2:
                    layout.locks2 = true;
                    break;
                default:
                    break;
            }
        }
        out.push_back(std::move(row));
    }
    return out;
}

// The stage built as the first stage of a fresh game builds it (no keys in
// hand, the camera placed), or nothing when the builder refuses it.
std::unique_ptr<World> build(const std::vector<std::string>& rows) {
    auto world = make_world();
    reset_game(*world);
    stagefile::Reader reader;
    reader.open_text("", stagefile::format_block(static_cast<int32_t>(rows.size()), rows));
    if (start_stage_file(*world, reader) || build_stage(*world, reader)) return nullptr;
    world->game_state = state_play;
    return world;
}

// A place of the search: all that the play rules read of the world, less the
// coins and the power item, which change nothing about where the player can
// go. The player's rectangle is where the view shows it; (ox, oy) is how far
// the stage has scrolled since it was built (both matter: the step scrolls or
// moves the player depending on where it stands in the view). inventory
// numbers the keys in hand with the keys taken and locks opened.
struct Place {
    int32_t x = 0;
    int32_t y = 0;
    int32_t ox = 0;
    int32_t oy = 0;
    uint32_t inventory = 0;
    friend bool operator==(const Place&, const Place&) = default;
};

uint64_t hash_of(const Place& p) {
    uint64_t h = static_cast<uint32_t>(p.x);
    for (uint32_t v : {static_cast<uint32_t>(p.y), static_cast<uint32_t>(p.ox),
                       static_cast<uint32_t>(p.oy), p.inventory}) {
        h = (h ^ v) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    return h;
}

// The places found so far, numbered in the order found, with an open
// addressing index.
class Places {
  public:
    const Place& operator[](uint32_t id) const { return list_[id]; }
    size_t size() const { return list_.size(); }

    // The number of p, and whether it is new.
    std::pair<uint32_t, bool> add(const Place& p) {
        if ((list_.size() + 1) * 2 > slots_.size()) grow();
        size_t mask = slots_.size() - 1;
        for (size_t s = hash_of(p) & mask;; s = (s + 1) & mask) {
            if (slots_[s] == 0) {
                list_.push_back(p);
                slots_[s] = static_cast<uint32_t>(list_.size());
                return {static_cast<uint32_t>(list_.size() - 1), true};
            }
            if (list_[slots_[s] - 1] == p) return {slots_[s] - 1, false};
        }
    }

  private:
    void grow() {
        std::vector<uint32_t> slots(std::max<size_t>(slots_.size() * 2, 1024), 0);
        const size_t mask = slots.size() - 1;
        for (uint32_t id = 0; id < list_.size(); ++id) {
            size_t s = hash_of(list_[id]) & mask;
            while (slots[s] != 0)
                s = (s + 1) & mask;
            slots[s] = id + 1;
        }
        slots_ = std::move(slots);
    }

    std::vector<Place> list_;
    std::vector<uint32_t> slots_;
};

// The inputs a tick can give the player step: every stick position. Buttons
// only fire shots, which move nothing the player stands on.
constexpr std::array<std::array<int16_t, 2>, 9> sticks = {{
    {0, 0},
    {-1, 0},
    {1, 0},
    {0, -1},
    {0, 1},
    {-1, -1},
    {1, -1},
    {-1, 1},
    {1, 1},
}};

class Search {
  public:
    Search(World& world, const Layout& layout)
        : w_(world), layout_(layout), door_x_(world.door_rect.left), door_y_(world.door_rect.top) {
        flag_tables_ = {{
            {w_.key1_taken.data(), loop_end(w_.key1_count, table_capacity)},
            {w_.lock1_opened.data(), loop_end(w_.lock1_count, table_capacity)},
            {w_.key2_taken.data(), loop_end(w_.key2_count, table_capacity)},
            {w_.lock2_opened.data(), loop_end(w_.lock2_count, table_capacity)},
        }};
        coin_last_ = loop_end(w_.coin_count, table_capacity);
    }

    ReachResult run(int64_t limit);

  private:
    struct Flags {
        int32_t* flags;
        int32_t last;  // entries 1..last, as the contact rules scan them
    };

    // The inventory of the world: keys in hand, then one byte per flag.
    void inventory_text(std::string& text) const {
        text.clear();
        for (int32_t held : {w_.keys1_held, w_.keys2_held})
            text.append(reinterpret_cast<const char*>(&held), sizeof held);
        for (const Flags& t : flag_tables_) {
            for (int32_t i = 1; i <= t.last; ++i)
                text.push_back(static_cast<char>(t.flags[i] != 0 ? 1 : 0));
        }
    }

    uint32_t intern(std::string text) {
        auto [it, added] =
            inventory_ids_.try_emplace(std::move(text), static_cast<uint32_t>(inventories_.size()));
        if (added) inventories_.push_back(&it->first);
        return it->second;
    }

    void put_inventory(uint32_t id) {
        const std::string& text = *inventories_[id];
        std::copy_n(text.data(), sizeof(int32_t), reinterpret_cast<char*>(&w_.keys1_held));
        std::copy_n(text.data() + sizeof(int32_t), sizeof(int32_t),
                    reinterpret_cast<char*>(&w_.keys2_held));
        size_t at = 2 * sizeof(int32_t);
        for (const Flags& t : flag_tables_) {
            for (int32_t i = 1; i <= t.last; ++i)
                t.flags[i] = text[at++];
        }
        world_inventory_ = id;
    }

    // Puts the world in place p, ready for a tick.
    void enter(const Place& p) {
        if (world_inventory_ != p.inventory) put_inventory(p.inventory);
        const int32_t dx = p.ox - (w_.door_rect.left - door_x_);
        const int32_t dy = p.oy - (w_.door_rect.top - door_y_);
        if (dx != 0) shift_positions(w_, shift_world_x, dx);
        if (dy != 0) shift_positions(w_, shift_world_y, dy);
        w_.player_rect = Rect{p.x, p.y, p.x + cell_size, p.y + cell_size};
        w_.player_pose = pose_stand;
        w_.player_frame = 0;
        w_.power_taken = 0;
        w_.door_open = 0;
        w_.score = 0;
        w_.game_state = state_play;
    }

    // The place the world is in after a tick.
    Place here() {
        Place p{w_.player_rect.left, w_.player_rect.top, w_.door_rect.left - door_x_,
                w_.door_rect.top - door_y_, world_inventory_};
        inventory_text(text_);
        if (text_ != *inventories_[world_inventory_]) {
            world_inventory_ = intern(text_);
            p.inventory = world_inventory_;
        }
        return p;
    }

    World& w_;
    const Layout& layout_;
    const int32_t door_x_;  // the door's place as built: the scroll is measured by it
    const int32_t door_y_;
    std::array<Flags, 4> flag_tables_{};
    int32_t coin_last_ = 0;
    std::unordered_map<std::string, uint32_t> inventory_ids_;
    std::vector<const std::string*> inventories_;
    uint32_t world_inventory_ = 0;
    std::string text_;  // the world's inventory, read after each tick
};

ReachResult Search::run(int64_t limit) {
    ReachResult result;
    result.searched = true;
    Silence silence;
    Places places;
    inventory_text(text_);
    world_inventory_ = intern(text_);
    const Place start{w_.player_rect.left, w_.player_rect.top, 0, 0, world_inventory_};
    places.add(start);

    // What a tick into each place touched, recorded once per place on the
    // first tick that ends there (the place the stage starts in, or starts
    // again in after a miss, counts only once a tick ends in it).
    std::vector<uint8_t> ticked(1, 0);
    std::vector<uint8_t> at_door(1, 0);
    std::vector<std::pair<uint32_t, int32_t>> coin_touches;  // (place, coin entry)
    std::vector<uint8_t> coin_touched(static_cast<size_t>(coin_last_) + 1, 0);
    bool power_touched = false;
    std::vector<std::pair<uint32_t, uint32_t>> moves;  // (from, to), each once

    // Places wait in groups of the same scroll and inventory, and a group is
    // searched through before the next: the world then seldom has to be
    // moved or given other keys between ticks.
    std::unordered_map<uint64_t, std::vector<uint32_t>> waiting;
    std::vector<uint64_t> groups;  // groups that may have places waiting
    const auto group_of = [](const Place& p) {
        return (static_cast<uint64_t>(p.inventory) << 40) ^
               (static_cast<uint64_t>(static_cast<uint32_t>(p.ox)) << 20) ^
               static_cast<uint32_t>(p.oy);
    };
    const auto add_place = [&](const Place& p) {
        const auto [id, added] = places.add(p);
        if (added) {
            ticked.push_back(0);
            at_door.push_back(0);
            std::vector<uint32_t>& group = waiting[group_of(p)];
            if (group.empty()) groups.push_back(group_of(p));
            group.push_back(id);
        }
        return id;
    };
    waiting[group_of(start)].push_back(0);
    groups.push_back(group_of(start));

    result.proved = true;
    std::array<uint32_t, sticks.size() + 1> targets{};
    while (!groups.empty() && result.proved) {
        std::vector<uint32_t>& group = waiting[groups.back()];
        groups.pop_back();
        while (!group.empty()) {
            if (static_cast<int64_t>(places.size()) > limit) {
                result.proved = false;
                break;
            }
            const uint32_t from_id = group.back();
            group.pop_back();
            const Place from = places[from_id];
            size_t target_count = 0;
            const auto add_move = [&](uint32_t to) {
                if (std::find(targets.begin(), targets.begin() + target_count, to) !=
                    targets.begin() + target_count)
                    return;
                targets[target_count++] = to;
                moves.emplace_back(from_id, to);
            };
            for (const auto& [sx, sy] : sticks) {
                enter(from);
                w_.stick_x = sx;
                w_.stick_y = sy;
                w_.buttons = 0;
                run_play_rules(w_, silence);
                const Place to = here();
                const uint32_t id = add_place(to);
                if (!ticked[id]) {
                    ticked[id] = 1;
                    at_door[id] = w_.player_rect.left == w_.door_rect.left &&
                                  w_.player_rect.top == w_.door_rect.top;
                    power_touched = power_touched || w_.power_taken != 0;
                    if (w_.score != 0) {
                        for (int32_t j = 1; j <= coin_last_; ++j) {
                            if (w_.coin_taken[j] == 0) continue;
                            coin_touches.emplace_back(id, j);
                            coin_touched[j] = 1;
                        }
                    }
                }
                // Coins stay untaken between ticks: each tick sees them all.
                if (w_.score != 0) std::fill(w_.coin_taken.begin(), w_.coin_taken.end(), 0);
                add_move(id);
                // A falling player can neither walk nor climb: every input
                // gives the same fall.
                if (w_.player_pose == pose_fall) break;
            }
            // Caught by an enemy, the player starts the stage again with what
            // it took kept; where the enemies can catch it is not searched, so
            // any place may lead back to the start.
            if (layout_.enemies) add_move(add_place(Place{start.x, start.y, 0, 0, from.inventory}));
        }
    }
    result.places = static_cast<int64_t>(places.size());
    if (!result.proved) return result;

    // Keys: taken in some place's inventory.
    std::vector<uint8_t> inventory_seen(inventories_.size(), 0);
    for (uint32_t i = 0; i < places.size(); ++i)
        inventory_seen[places[i].inventory] = 1;
    const auto key_taken = [&](size_t table, int32_t entry) {
        size_t at = 2 * sizeof(int32_t);
        for (size_t t = 0; t < table; ++t)
            at += static_cast<size_t>(std::max(flag_tables_[t].last, 0));
        at += static_cast<size_t>(entry - 1);
        for (size_t id = 0; id < inventories_.size(); ++id) {
            if (inventory_seen[id] && (*inventories_[id])[at] != 0) return true;
        }
        return false;
    };

    std::vector<ReachCell>& out = result.unreachable;
    for (size_t j = 0; j < layout_.coins.size(); ++j) {
        if (!coin_touched[j + 1]) out.push_back(layout_.coins[j]);
    }
    for (size_t j = 0; j < layout_.keys1.size(); ++j) {
        if (!key_taken(0, static_cast<int32_t>(j) + 1)) out.push_back(layout_.keys1[j]);
    }
    for (size_t j = 0; j < layout_.keys2.size(); ++j) {
        if (!key_taken(2, static_cast<int32_t>(j) + 1)) out.push_back(layout_.keys2[j]);
    }
    if (layout_.power_item && !power_touched) out.push_back(*layout_.power_item);
    std::stable_sort(out.begin(), out.end(), [](const ReachCell& a, const ReachCell& b) {
        return std::pair(a.row, a.column) < std::pair(b.row, b.column);
    });
    if (!layout_.door) return result;
    if (std::find(at_door.begin(), at_door.end(), 1) == at_door.end()) {
        out.push_back(*layout_.door);
        return result;
    }

    // The door opens on the tick the last coin is taken, and the stage is
    // cleared on the first tick from then on (that one included) that ends
    // with the player exactly in its cell. Coins change nothing about where
    // the player can go, so a win is a way from the start that touches every
    // coin and then ends in the door's cell. A coin none of whose places
    // leads on to the door's cell makes that impossible: once it is taken
    // the door is out of reach. That is what is reported, for each coin that
    // can be reached. (Coins that can each be taken on the way to the door,
    // but not all on one way, are not told apart here: that would need the
    // coins in the places.)
    std::vector<uint32_t> back_begin(places.size() + 1, 0);
    for (const auto& move : moves)
        ++back_begin[move.second + 1];
    for (size_t i = 1; i < back_begin.size(); ++i)
        back_begin[i] += back_begin[i - 1];
    std::vector<uint32_t> back(moves.size());
    {
        std::vector<uint32_t> fill(back_begin.begin(), back_begin.end() - 1);
        for (const auto& [from, to] : moves)
            back[fill[to]++] = from;
    }
    std::vector<uint8_t> leads_to_door(at_door.begin(), at_door.end());
    std::vector<uint32_t> todo;
    for (uint32_t i = 0; i < places.size(); ++i) {
        if (leads_to_door[i]) todo.push_back(i);
    }
    while (!todo.empty()) {
        const uint32_t to = todo.back();
        todo.pop_back();
        for (uint32_t m = back_begin[to]; m < back_begin[to + 1]; ++m) {
            if (!leads_to_door[back[m]]) {
                leads_to_door[back[m]] = 1;
                todo.push_back(back[m]);
            }
        }
    }
    std::vector<uint8_t> coin_keeps_door(static_cast<size_t>(coin_last_) + 1, 0);
    for (const auto& [place, coin] : coin_touches) {
        if (leads_to_door[place]) coin_keeps_door[coin] = 1;
    }
    for (size_t j = 0; j < layout_.coins.size(); ++j) {
        if (coin_touched[j + 1] && !coin_keeps_door[j + 1])
            result.door_lost_after.push_back(layout_.coins[j]);
    }
    return result;
}

std::string cell_text(const ReachCell& cell) {
    return "row " + std::to_string(cell.row) + ", column " + std::to_string(cell.column);
}

std::string item_text(ReachItem item) {
    const auto named = [](std::string_view name, Object object) {
        return std::string(name) + " (\"" + std::string(stagefile::letter(object).text) + "\")";
    };
    switch (item) {
        case ReachItem::coin:
            return named("the coin", Object::coin);
        case ReachItem::key1:
            return named("the key of kind 1", Object::key1);
        case ReachItem::key2:
            return named("the key of kind 2", Object::key2);
        case ReachItem::power_item:
            return named("the power item", Object::power_item);
        case ReachItem::door:
            return named("the door", Object::door);
    }
    return {};
}

// The findings of one stage whose count line is count_line.
std::vector<stagefile::Finding> stage_findings(int32_t stage, int32_t count_line,
                                               const std::vector<std::string>& rows,
                                               int64_t limit) {
    std::vector<stagefile::Finding> findings;
    const ReachResult reach = search_reach(rows, limit);
    if (!reach.searched) return findings;
    if (!reach.proved) {
        findings.push_back({stage, 0,
                            "where the player can go is not proved: the search passed its "
                            "limit of " +
                                std::to_string(limit) + " places"});
        return findings;
    }
    for (const ReachCell& cell : reach.unreachable) {
        findings.push_back(
            {stage, count_line + cell.row,
             item_text(cell.item) + " in " + cell_text(cell) + " cannot be reached"});
    }
    if (!reach.door_lost_after.empty() && reach.door) {
        const ReachCell& coin = reach.door_lost_after.front();
        std::string problem = item_text(ReachItem::door) + " in " + cell_text(*reach.door) +
                              " can be reached only before every coin is taken: not once the "
                              "coin in " +
                              cell_text(coin) + " is taken";
        const size_t others = reach.door_lost_after.size() - 1;
        if (others > 0) {
            problem += " (nor after " + std::to_string(others) +
                       (others == 1 ? " other coin)" : " other coins)");
        }
        findings.push_back({stage, count_line + reach.door->row, std::move(problem)});
    }
    if (reach.locks2 && !findings.empty()) {
        findings.front().problem += " (with no keys of kind 2 carried in from earlier stages)";
    }
    return findings;
}

// Places the findings found (in stage order) after those the check made of
// their stage, before the refusal, which stays last; keeps at most
// max_listed_findings listed and counts the rest.
void merge(stagefile::CheckResult& result, std::vector<stagefile::Finding> found,
           int64_t found_unlisted) {
    std::vector<stagefile::Finding> list;
    list.reserve(result.findings.size() + found.size());
    auto next = found.begin();
    for (stagefile::Finding& f : result.findings) {
        for (; next != found.end() && (f.refusal || next->stage < f.stage); ++next)
            list.push_back(std::move(*next));
        list.push_back(std::move(f));
    }
    for (; next != found.end(); ++next)
        list.push_back(std::move(*next));
    result.unlisted += found_unlisted;
    size_t listed = 0;
    result.findings.clear();
    for (stagefile::Finding& f : list) {
        if (f.refusal || listed < stagefile::max_listed_findings) {
            listed += f.refusal ? 0 : 1;
            result.findings.push_back(std::move(f));
        } else {
            ++result.unlisted;
        }
    }
}

}  // namespace

ReachResult search_reach(const std::vector<std::string>& rows, int64_t place_limit) {
    Layout layout;
    const std::vector<std::string> built_rows = rows_without_enemies(rows, layout);
    if (!layout.start) return {};
    std::unique_ptr<World> world = build(built_rows);
    if (!world) return {};
    Search search(*world, layout);
    ReachResult result = search.run(place_limit);
    result.door = layout.door;
    result.locks2 = layout.locks2;
    return result;
}

void add_reach_findings(stagefile::CheckResult& result, const std::string& path,
                        int64_t place_limit) {
    if (!result.readable) return;
    // The stages the check read through: not one the game refuses, nor those
    // after it.
    int32_t last = result.stages;
    for (const stagefile::Finding& f : result.findings) {
        if (f.refusal) last = std::min(last, f.stage - 1);
    }
    stagefile::Reader reader;
    if (last < 1 || !reader.open(path)) return;
    int32_t count = 0;
    if (stagefile::read_playable_first_count(reader, count)) return;
    std::string line;
    std::vector<std::string_view> cells;
    std::vector<std::string> rows;
    std::vector<stagefile::Finding> found;
    int64_t unlisted = 0;
    for (int32_t stage = 1; stage <= last; ++stage) {
        const int32_t count_line = reader.lines_read();
        rows.clear();
        for (int32_t r = 1; r <= count; ++r) {
            if (stagefile::read_row(reader, r, count, line, cells)) break;
            rows.push_back(line);
        }
        if (static_cast<int32_t>(rows.size()) < count) break;
        for (stagefile::Finding& f : stage_findings(stage, count_line, rows, place_limit)) {
            // Past the first thousand found, none can be listed.
            if (found.size() < stagefile::max_listed_findings) {
                found.push_back(std::move(f));
            } else {
                ++unlisted;
            }
        }
        bool end_of_file = false;
        if (stagefile::read_next_count(reader, end_of_file, count) || end_of_file) break;
    }
    merge(result, std::move(found), unlisted);
}

}  // namespace vorne
