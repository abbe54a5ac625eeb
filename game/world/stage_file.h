// The game's side of the stage file: opening it from the title, reading the
// count line of each stage, and giving up cleanly on a bad file.
//
// The file is read strictly forward over a game: open_stage_file reads the
// first count line; build_stage (builder.h) reads that many rows; after each
// stage clear read_next_count reads the next count line, or finds the end of
// the file (the ending). A function that meets a bad file returns a StageError;
// the caller shows its message() (a message box in the window, stderr when
// headless) and then calls reject_stage_file, which closes the file and puts
// the world back in the title state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "game/world/stage_error.h"
#include "game/world/world.h"
#include "stagefile/reader.h"

namespace vorne {

// The stage file the title opens on button 1: map.dat in the program's folder.
std::string default_stage_file_path(const std::string& program_folder);

// Opens path as the stage file (closing any file reader had), sets
// stage_file_open to 1 (opened or tried) and reads the first count line into
// stage_rows (start_stage_file). Used for map.dat on button 1 and for the
// file chosen in the dialog on button 2 (mapload's file side). Returns the
// problem when the file cannot be opened (a FIFO or a device is refused at
// once) or the reading rules of stagefile/blocks.h refuse it (empty, lines
// that end in LF alone, a count line outside 0..400, a line or a file too
// long). It
// does not change game_state: on success the caller goes to the stage
// introduction.
std::optional<StageError> open_stage_file(World& world, stagefile::Reader& reader,
                                          const std::string& path);

// The same for a reader already open (a file, or text in memory).
std::optional<StageError> start_stage_file(World& world, stagefile::Reader& reader);

// Button 2 with the dialog cancelled: no file is opened and nothing is
// reported; stage_file_open is left at 1 (tried) and the title goes on.
void mapload_cancelled(World& world);

struct NextCount {
    bool end_of_file = false;         // nothing left to read: the ending begins
    std::optional<StageError> error;  // the count line is bad: reject the file
};

// After a stage clear: if the file is at its end, says so and changes
// nothing; otherwise reads the next count line into stage_rows. Call it before
// stage_number is raised: errors name the stage as stage_number + 1, the
// block whose count line this is.
NextCount read_next_count(World& world, stagefile::Reader& reader);

// Gives up on the stage file after a StageError: closes it and resets the
// world to the title state (reset_game), with stage_rows and row_length at 0
// so that nothing can rebuild the half-read stage, and screen_timer at 0.
void reject_stage_file(World& world, stagefile::Reader& reader);

}  // namespace vorne
