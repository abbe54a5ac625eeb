// Linked into every test program: the environment tests run in, set before
// main so that no test needs a display or a sound card. Values already set by
// the caller win.
#include <cstdlib>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("VORNE_BIN_DIR", VORNE_TEST_BIN_DIR, 0);
        setenv("VORNE_SOURCE_DIR", VORNE_TEST_SOURCE_DIR, 0);
    }
};

const TestEnvironment environment;

}  // namespace
