#include "game/session/game.h"

namespace vorne {

Game::Game(const Ports& ports_in, std::string program_folder_in)
    : ports(ports_in),
      world_storage(make_world()),
      world(*world_storage),
      program_folder(std::move(program_folder_in)) {}

std::string Game::default_stage_path() const {
    return map_path.empty() ? program_folder + "/map.dat" : map_path;
}

}  // namespace vorne
