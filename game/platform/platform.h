// The SDL2 platform under the game: the adapters of its ports and SDL's own
// start and stop. Only the .cpp files of this folder include SDL.
#pragma once

#include "game/platform/sdl_files.h"
#include "game/platform/sdl_input.h"
#include "game/platform/sdl_music.h"
#include "game/platform/sdl_sound.h"
#include "game/platform/sdl_system.h"
#include "game/platform/sdl_text.h"
#include "game/platform/sdl_video.h"
#include "game/platform/single_instance.h"
#include "game/platform/system_clock.h"
