// Where the player can go in a stage: a search over the places the player can
// reach by the game's own play rules, tick by tick, with every input, from the
// start of the stage. Enemies and their shots are left out of the moves; since
// a player caught by one starts the stage over with what it took kept, a stage
// with enemies may also go back to its start from anywhere. Kind-2 keys carried
// in from earlier stages are taken to be none.
//
// What the search claims is exact: an item reported out of reach cannot be
// taken under the rules. A search that passes its limit of places claims
// nothing (proved is false).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stagefile/check.h"

namespace vorne {

// The most places (the player's position, the scroll, the keys in hand and
// the keys and locks taken and opened) a stage's search visits.
inline constexpr int64_t reach_place_limit = 1'000'000;

enum class ReachItem { coin, key1, key2, power_item, door };

struct ReachCell {
    ReachItem item = ReachItem::coin;
    int32_t row = 0;  // 1-based, as in the stage file
    int32_t column = 0;
    friend bool operator==(const ReachCell&, const ReachCell&) = default;
};

struct ReachResult {
    bool searched = false;  // false: the stage has no player start (or no rows)
    bool proved = false;    // false: the search passed its limit; nothing below is claimed
    int64_t places = 0;     // places visited
    // Coins, keys, the power item and the door the player can never take or
    // enter, in row order (the door last).
    std::vector<ReachCell> unreachable;
    // When the door can be entered, the coins after whose taking it no longer
    // can, in row order: with any of them the stage cannot be won.
    std::vector<ReachCell> door_lost_after;
    std::optional<ReachCell> door;  // the stage's door, when it has one
    bool locks2 = false;            // the stage has kind-2 locks, which carried keys would open
};

// Searches one stage given as its rows (the bytes of each line, without the
// line end), built as the game builds it.
ReachResult search_reach(const std::vector<std::string>& rows,
                         int64_t place_limit = reach_place_limit);

// The reachability findings of every stage of the file that the check read
// through (a refused stage and those after it are not searched), each placed
// after the stage's own findings, within the check's limit of listed findings.
// Reads the file at path again; a file that cannot be read adds nothing.
void add_reach_findings(stagefile::CheckResult& result, const std::string& path,
                        int64_t place_limit = reach_place_limit);

}  // namespace vorne
