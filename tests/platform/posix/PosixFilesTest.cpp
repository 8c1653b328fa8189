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

class FilesTest : public ::testing::Test {
protected:
    FilesTest() { std::ofstream(victim) << "the user's own"; }

    std::string victimText() const { return test::readBinary(victim.string()); }

    test::TemporaryDirectory dir;
    test::TemporaryDirectory elsewhere;
    std::filesystem::path victim = elsewhere.path() / "precious";
};

TEST_F(FilesTest, AppendingKeepsWhatIsThereAndMakesWhatIsNot) {
    const std::filesystem::path file = dir.path() / "pakVue.log";
    for (const char* text : {"one\n", "two\n"}) {
        std::string refusal = "left over";
        util::OwnedFile opened = platform::appendToFile(file, refusal);
        ASSERT_TRUE(opened);
        EXPECT_EQ(refusal, "");
        std::fputs(text, opened.get());
    }
    EXPECT_EQ(test::readBinary(file.string()), "one\ntwo\n");
}

// A FIFO would keep the open waiting until a reader comes, so the test holds a reader: one that
// is opened anyway fails the test instead of hanging it. A link that leads nowhere is not made
// into a file at its target either.
TEST_F(FilesTest, AppendingRefusesALinkAndAnythingButAFileUnopened) {
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
    std::string refusal = "left over";
    EXPECT_FALSE(platform::appendToFile(dir.path() / "gone" / "file", refusal));
    EXPECT_EQ(refusal, "") << "the system's failure, not the file's";
}

TEST_F(FilesTest, AReplacedFileTakesTheBytesAndALinkInItsPlaceIsReplacedNotFollowed) {
    const std::filesystem::path picture = dir.path() / "icon1-tray.png";
    std::filesystem::create_symlink(victim, picture);
    platform::replaceFile(picture, "new picture");
    EXPECT_EQ(victimText(), "the user's own");
    EXPECT_FALSE(std::filesystem::is_symlink(picture));
    EXPECT_EQ(test::readBinary(picture.string()), "new picture");
    platform::replaceFile(picture, "newer");
    EXPECT_EQ(test::readBinary(picture.string()), "newer");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "nothing is left beside it";

    const std::filesystem::path folder = dir.path() / "folder";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(test::failure([&] { platform::replaceFile(folder, "x"); }),
              "unable to write \"" + folder.string() + "\": Is a directory");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// Root owns "/", which is another user's for anyone else; root itself hands a folder over.
TEST_F(FilesTest, AFolderOfAnotherUserOrThatAnyoneMayWriteIsOthers) {
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
