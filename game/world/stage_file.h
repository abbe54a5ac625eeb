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

// Reads past the stages before `stage`, as a game that cleared them would:
// each stage's rows by the rules build_stage reads them with (nothing is
// built), then the next count line (read_next_count), raising stage_number.
// Call it on a file just opened (open_stage_file) with stage_number at 1.
// Returns the problem when the file is refused on the way, named as the game
// names it, or ends before that stage (missing_stage_problem).
std::optional<StageError> skip_to_stage(World& world, stagefile::Reader& reader, int32_t stage);

// Why a file of `stages` stages has no stage `wanted`, in words for the
// designer: "the file holds 3 stages, so there is no stage 5".
std::string missing_stage_problem(int32_t stages, int32_t wanted);

// Gives up on the stage file after a StageError: closes it and resets the
// world to the title state (reset_game), with stage_rows and row_length at 0
// so that nothing can rebuild the half-read stage, and screen_timer at 0.
void reject_stage_file(World& world, stagefile::Reader& reader);

}  // namespace vorne
