// SDL itself: started for the window with video, joysticks, gamepads and
// events, and stopped again once everything made with it is gone.
#pragma once

#include <string>

namespace vorne {

class SdlSystem {
  public:
    SdlSystem() = default;
    // Stops SDL when start() succeeded.
    ~SdlSystem();
    SdlSystem(const SdlSystem&) = delete;
    SdlSystem& operator=(const SdlSystem&) = delete;

    // False, with error() telling why, when SDL cannot start.
    bool start();
    const std::string& error() const { return error_; }

  private:
    bool started_ = false;
    std::string error_;
};

}  // namespace vorne
