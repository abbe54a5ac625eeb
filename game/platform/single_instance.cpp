#include "game/platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vorne {

std::string single_instance_lock_path() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/vorne1.0.lock";
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    return folder + "/vorne1.0-" + std::to_string(getuid()) + ".lock";
}

SingleInstance::SingleInstance(const std::string& lock_path) {
    fd_ = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) acquired_ = false;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace vorne
