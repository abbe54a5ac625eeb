// The files port: the program's folder, the desktop's file dialog and message
// boxes over the window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "game/platform/sdl_video.h"
#include "game/ports/ports.h"

namespace vorne {

// The folder that holds the running program (without a trailing slash).
std::string running_program_folder();

// The open-file dialog is zenity's or kdialog's, whichever suits the desktop.
class SdlFiles : public FilesPort {
  public:
    SdlFiles(std::string folder, SdlWindow* window) : folder_(std::move(folder)), window_(window) {}
    std::string program_folder() override { return folder_; }
    std::optional<std::string> open_file_dialog(std::string_view filter) override;
    void show_message(std::string_view title, std::string_view text) override;

  private:
    std::string folder_;
    SdlWindow* window_;
};

}  // namespace vorne
