#include "game/platform/sdl_system.h"

#include <SDL.h>

namespace vorne {

bool SdlSystem::start() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) !=
        0) {
        error_ = SDL_GetError();
        return false;
    }
    started_ = true;
    return true;
}

SdlSystem::~SdlSystem() {
    if (started_) SDL_Quit();
}

}  // namespace vorne
