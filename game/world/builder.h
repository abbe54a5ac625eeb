// The stage builder: turns the rows of one stage into the world's tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "game/world/stage_error.h"
#include "game/world/world.h"
#include "stagefile/reader.h"

namespace vorne {

// The dispatch of one cell: letter (the cell's text, compared exactly, lower
// case; what each letter builds is stagefile::letters) at column c and row r.
// A table letter appends the cell rectangle (left = c x 20, top = r x 20) at
// the table's counter and raises the counter; "b", "e" and "f" replace the
// single object (the last one placed wins). With restore (a rebuild after a
// miss) the taken and opened flags of items, the door and the power item are
// left as they are. Any other text is an empty cell. Returns false, writing
// nothing, when the letter's table has no free entry (400 walls, ladders,
// coins, keys or locks of a kind; 400 enemies of kinds g, h or j; 399 of kind
// i, whose next state entry is written too).
bool place_object(World& world, std::string_view letter, int32_t c, int32_t r, bool restore);

// Most entries a stage may put in the table of letter (0 for other texts),
// and the object's name in the plural, for messages: stagefile::letters.
int32_t object_capacity(std::string_view letter);
std::string_view object_name(std::string_view letter);

// Builds the stage whose count line was just read: reads exactly stage_rows
// lines from reader, copies every character into stage_grid and places its
// object, sets row_length to the length of the last row, puts empty_marker in
// entry 2 of each enemy table left without enemies, and places the camera.
// The caller has set the eleven counters to 1 and cleared the world before.
// Also clears the shot of the first kind-i enemy, so that a shot in flight at
// a stage clear or game over does not fly on into this stage.
//
// Returns the problem when the file ends inside the stage's rows, a row holds
// more than 400 characters, stage_rows is outside 0..400, a table is filled
// past its capacity or the file cannot be read. The error names the stage as
// world.stage_number. The world is then partly built but every write stayed
// inside its table; the caller rejects the file (reject_stage_file).
std::optional<StageError> build_stage(World& world, stagefile::Reader& reader);

// Builds the stage again from stage_grid after a miss, over rows
// 1..stage_rows and columns 1..row_length, keeping taken items taken and
// opened locks open. The caller has set the counters to 1 and places the
// camera next. Nothing is cleared: the old entries are overwritten in order.
void rebuild_stage(World& world);

}  // namespace vorne
