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

// Anyone who can open the lock file, even to read, can hold the lock and keep the program from
// starting: it is this user's alone, also when an earlier version left it readable. A link
// planted in its place is not followed, to an existing file or to none.
TEST_F(InstanceLockTest, TheLockFileIsThisUsersAloneAndNoLinkStandsForIt) {
    using std::filesystem::perms;
    const std::filesystem::path file = dir.path() / "pakvue.config.json.lock";
    const auto mode = [&] { return std::filesystem::status(file).permissions() & perms::all; };
    EXPECT_TRUE(platform::lockInstance(configuration));
    EXPECT_EQ(mode(), perms::owner_read | perms::owner_write);
    std::filesystem::permissions(file, perms::owner_read | perms::owner_write | perms::group_read |
                                           perms::others_read);
    EXPECT_TRUE(platform::lockInstance(configuration));
    EXPECT_EQ(mode(), perms::owner_read | perms::owner_write);

    test::TemporaryDirectory elsewhere;
    const std::filesystem::path victim = elsewhere.path() / "precious";
    std::ofstream(victim) << "the user's own";
    std::filesystem::permissions(victim, perms::owner_all | perms::group_read | perms::others_read);
    for (const std::filesystem::path& target : {victim, elsewhere.path() / "new"}) {
        std::filesystem::remove(file);
        std::filesystem::create_symlink(target, file);
        EXPECT_EQ(test::failure([&] { platform::lockInstance(configuration); }),
                  "unable to open the instance lock \"" + file.string() +
                      "\": it is a symbolic link.");
    }
    EXPECT_EQ(test::readBinary(victim.string()), "the user's own");
    EXPECT_EQ(std::filesystem::status(victim).permissions(),
              perms::owner_all | perms::group_read | perms::others_read);
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "new"));
}

TEST_F(InstanceLockTest, ALockThatCannotBeMadeSaysWhichFile) {
    const std::filesystem::path file = dir.path() / "gone" / "pakvue.config.json";
    EXPECT_EQ(test::failure([&] { platform::lockInstance(file); }),
              "unable to open the instance lock \"" + file.string() +
                  ".lock\": No such file or directory");
}

} // namespace
