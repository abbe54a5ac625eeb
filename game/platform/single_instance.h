// The single-copy rule: a lock file in the user's runtime folder, held for the
// life of the process.
#pragma once

#include <string>

namespace vorne {

// Where the lock lives: $XDG_RUNTIME_DIR/vorne1.0.lock, or a per-user file in
// the temporary folder when there is no runtime folder.
std::string single_instance_lock_path();

class SingleInstance {
  public:
    explicit SingleInstance(const std::string& lock_path);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the lock. A lock that cannot be made at
    // all (no writable folder) does not keep the game from starting.
    bool acquired() const { return acquired_; }

  private:
    int fd_ = -1;
    bool acquired_ = true;
};

}  // namespace vorne
