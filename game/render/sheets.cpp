#include "game/render/sheets.h"

#include <utility>

namespace vorne {

std::vector<std::string> load_sheets(Sheets& sheets, const std::string& program_folder,
                                     const ImageLoader& loader) {
    std::pair<const char*, Image*> all[] = {
        {"kabe", &sheets.kabe},       {"hasi", &sheets.hasi},
        {"tc", &sheets.tc},           {"ki", &sheets.ki},
        {"tobira", &sheets.tobira},   {"kagic", &sheets.kagic},
        {"tama", &sheets.tama},       {"t1c", &sheets.t1c},
        {"pc", &sheets.pc},           {"haikei", &sheets.haikei},
        {"thaikei", &sheets.thaikei}, {"rogo", &sheets.rogo},
        {"stageh", &sheets.stageh},   {"lasthaikei", &sheets.lasthaikei},
        {"ue", &sheets.ue},           {"uemask", &sheets.uemask},
        {"kumo", &sheets.kumo},       {"kumomask", &sheets.kumomask},
    };
    std::vector<std::string> problems;
    for (auto& [name, image] : all) {
        std::string path = program_folder + "/sheets/" + name + ".png";
        std::string error;
        std::optional<Image> loaded = loader ? loader(path, error) : std::nullopt;
        if (loaded) {
            *image = std::move(*loaded);
        } else {
            *image = Image();
            problems.push_back(error.empty() ? path + ": cannot be read" : error);
        }
    }
    return problems;
}

}  // namespace vorne
