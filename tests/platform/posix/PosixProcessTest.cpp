// The process seam on Linux. The death tests run their statement in a forked child: another
// process, as a second start of the program is.
#include "platform/Process.h"
#include "support/Failure.h"
#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <cstdlib>
#include <fstream>

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    InstanceLockTest() {
        GTEST_FLAG_SET(death_test_style, "fast");
        std::ofstream(configuration) << "{}";
    }

    // Exits 0 when the child got the lock, 1 when another process holds it. It never releases
    // the lock itself: the process's end has to.
    [[noreturn]] void tryInChild() {
        std::_Exit(platform::lockInstance(configuration).release() ? 0 : 1);
    }

    test::TemporaryDirectory dir;
    std::filesystem::path configuration = dir.path() / "pakvue.config.json";
};
using InstanceLockDeathTest = InstanceLockTest;

TEST_F(InstanceLockDeathTest, OneProcessHoldsItUntilItEnds) {
    EXPECT_EXIT(tryInChild(), ::testing::ExitedWithCode(0), "") << "free: the child takes it";
    std::unique_ptr<platform::InstanceLock> lock = platform::lockInstance(configuration);
    EXPECT_TRUE(lock) << "the child's end released it";
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "pakvue.config.json.lock"));

    EXPECT_EXIT(tryInChild(), ::testing::ExitedWithCode(1), "") << "held by this process";
    EXPECT_FALSE(platform::lockInstance(configuration)) << "the child's end left it held";
    lock.reset();
    EXPECT_TRUE(platform::lockInstance(configuration));
}

TEST_F(InstanceLockTest, EveryPathToTheConfigurationMeetsTheSameLock) {
    std::filesystem::create_directory_symlink(dir.path(), dir.path() / "link");
    std::unique_ptr<platform::InstanceLock> lock = platform::lockInstance(configuration);
    ASSERT_TRUE(lock);
    EXPECT_FALSE(platform::lockInstance(dir.path() / "link" / "pakvue.config.json"));

    test::TemporaryDirectory other;
    std::ofstream(other.path() / "pakvue.config.json") << "{}";
    EXPECT_TRUE(platform::lockInstance(other.path() / "pakvue.config.json"))
        << "another configuration runs an instance of its own";
}

TEST_F(InstanceLockTest, ALockThatCannotBeMadeSaysWhichFile) {
    const std::filesystem::path file = dir.path() / "gone" / "pakvue.config.json";
    EXPECT_EQ(test::failure([&] { platform::lockInstance(file); }),
              "unable to open the instance lock \"" + file.string() +
                  ".lock\": No such file or directory");
}

} // namespace
