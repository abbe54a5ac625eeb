// The game's eighteen picture sheets, loaded once before the first tick.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game/render/frame_buffer.h"

namespace vorne {

struct Sheets {
    Image kabe;        // wall block
    Image hasi;        // ladder
    Image tc;          // coin
    Image ki;          // power item
    Image tobira;      // door, closed and open
    Image kagic;       // keys and lock blocks
    Image tama;        // shots
    Image t1c;         // enemies
    Image pc;          // player
    Image haikei;      // play backdrop tile
    Image thaikei;     // title tile
    Image rogo;        // title logo
    Image stageh;      // stage introduction and game over background
    Image lasthaikei;  // ending sky
    Image ue;          // building top
    Image uemask;      // its silhouette
    Image kumo;        // cloud
    Image kumomask;    // cloud silhouette
};

// Reads a PNG into an Image; nullopt (with error set) when it cannot.
using ImageLoader =
    std::function<std::optional<Image>(const std::string& path, std::string& error)>;

// Loads every sheet from <program_folder>/sheets/<name>.png. A sheet that
// cannot be read stays empty (it draws nothing); the problems are returned,
// one line each.
std::vector<std::string> load_sheets(Sheets& sheets, const std::string& program_folder,
                                     const ImageLoader& loader);

}  // namespace vorne
