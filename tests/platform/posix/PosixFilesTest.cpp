// Files written where someone else may have put something first.
#include "platform/Files.h"
#include "support/Failure.h"
#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixFilesTest : public ::testing::Test {
protected:
    PosixFilesTest() { std::ofstream(victim) << "the user's own"; }

    std::string victimText() const { return test::readBinary(victim.string()); }

    test::TemporaryDirectory dir;
    test::TemporaryDirectory elsewhere;
    std::filesystem::path victim = elsewhere.path() / "precious";
};

// A FIFO would keep the open waiting until a reader comes, so the test holds a reader: one that
// is opened anyway fails the test instead of hanging it. A link that leads nowhere is not made
// into a file at its target either.
TEST_F(PosixFilesTest, AppendingRefusesALinkAndAnythingButAFileUnopened) {
    const std::filesystem::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::filesystem::create_symlink(victim, dir.path() / "link");
    std::filesystem::create_symlink(elsewhere.path() / "new", dir.path() / "dangling");
    const std::pair<std::filesystem::path, const char*> refused[] = {
        {dir.path() / "link", "is a symbolic link"},
        {dir.path() / "dangling", "is a symbolic link"},
        {fifo, "is not a regular file"},
        {"/dev/null", "is not a regular file"},
        {dir.path(), "is not a regular file"},
    };
    for (const auto& [file, why] : refused) {
        std::string refusal;
        EXPECT_FALSE(platform::appendToFile(file, refusal)) << file;
        EXPECT_EQ(refusal, why) << file;
    }
    ::close(reader);
    EXPECT_EQ(victimText(), "the user's own");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "new"));
}

TEST_F(PosixFilesTest, ALinkInAReplacedFilesPlaceIsReplacedNotFollowed) {
    const std::filesystem::path picture = dir.path() / "icon1-tray.png";
    std::filesystem::create_symlink(victim, picture);
    platform::replaceFile(picture, "new picture");
    EXPECT_EQ(victimText(), "the user's own");
    EXPECT_FALSE(std::filesystem::is_symlink(picture));
    EXPECT_EQ(test::readBinary(picture.string()), "new picture");
    const std::filesystem::path folder = dir.path() / "folder";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(test::failure([&] { platform::replaceFile(folder, "x"); }),
              "unable to write \"" + folder.string() + "\": Is a directory");
}

// The example a first start writes is the user's alone, and a link in its place, even one to
// nothing, is left as it is.
TEST_F(PosixFilesTest, ANewFileAndItsFolderAreTheUsersAloneAndALinkIsNotWrittenThrough) {
    ::umask(0);
    const std::filesystem::path folder = dir.path() / "config" / "pakvue";
    platform::makePrivateFolder(folder);
    ::umask(022);
    struct stat status {};
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    ASSERT_TRUE(platform::createNewFile(folder / "pakvue.config.json", "{}"));
    ASSERT_EQ(::stat((folder / "pakvue.config.json").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    std::filesystem::create_symlink(elsewhere.path() / "new", folder / "dangling");
    std::filesystem::create_symlink(victim, folder / "link");
    EXPECT_FALSE(platform::createNewFile(folder / "dangling", "the example"));
    EXPECT_FALSE(platform::createNewFile(folder / "link", "the example"));
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "new"));
    EXPECT_EQ(victimText(), "the user's own");
}

// Root owns "/", which is another user's for anyone else; root itself hands a folder over.
TEST_F(PosixFilesTest, AFolderOfAnotherUserOrThatAnyoneMayWriteIsOthers) {
    EXPECT_FALSE(platform::othersMayWrite(dir.path()));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    EXPECT_TRUE(platform::othersMayWrite(dir.path()));
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    EXPECT_TRUE(platform::othersMayWrite(dir.path())) << "sticky as /tmp is";
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(elsewhere.path().c_str(), 65534, 65534), 0);
        EXPECT_TRUE(platform::othersMayWrite(elsewhere.path()));
    } else {
        EXPECT_TRUE(platform::othersMayWrite("/"));
    }
    EXPECT_TRUE(platform::othersMayWrite(dir.path() / "gone"));
}

} // namespace
