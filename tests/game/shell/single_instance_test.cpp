#include "game/platform/single_instance.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vorne {
namespace {

TEST(SingleInstance, SecondCopyIsRefusedUntilTheFirstEnds) {
    std::string path = ::testing::TempDir() + "vorne_lock_test.lock";
    {
        SingleInstance first(path);
        EXPECT_TRUE(first.acquired());
        SingleInstance second(path);
        EXPECT_FALSE(second.acquired());
    }
    SingleInstance again(path);
    EXPECT_TRUE(again.acquired());
}

TEST(SingleInstance, UnwritableFolderDoesNotKeepTheGameFromStarting) {
    SingleInstance instance("/nonexistent-folder/vorne.lock");
    EXPECT_TRUE(instance.acquired());
}

TEST(SingleInstance, LockLivesInTheRuntimeFolder) {
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(single_instance_lock_path(), "/run/user/4242/vorne1.0.lock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_NE(single_instance_lock_path().find("vorne1.0-"), std::string::npos);
}

}  // namespace
}  // namespace vorne
