// Files written where someone else may have put something first, on Windows.
#include "platform/Files.h"
#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <fstream>
#include <windows.h>

namespace {

TEST(Win32Files, AppendingKeepsWhatIsThereAndRefusesAnythingButAFile) {
    test::TemporaryDirectory dir;
    const std::filesystem::path file = dir.path() / "pakVue.log";
    for (const char* text : {"one\n", "two\n"}) {
        std::string refusal = "left over";
        util::OwnedFile opened = platform::appendToFile(file, refusal);
        ASSERT_TRUE(opened);
        EXPECT_EQ(refusal, "");
        std::fputs(text, opened.get());
    }
    EXPECT_EQ(test::readBinary(file.string()), "one\ntwo\n") << "binary, at the end";
    std::string refusal;
    EXPECT_FALSE(platform::appendToFile("NUL", refusal));
    EXPECT_EQ(refusal, "is not a regular file");
    EXPECT_FALSE(platform::appendToFile(dir.path() / "gone" / "file", refusal));
    EXPECT_EQ(refusal, "");
}

// Where the system lets this user make a link (Windows asks for a privilege or developer mode).
// Wine makes one, but does not show it as a reparse point, which is what the log looks for.
TEST(Win32Files, ALinkInTheWayIsNeitherAppendedToNorWrittenThrough) {
    test::TemporaryDirectory dir;
    test::TemporaryDirectory elsewhere;
    const std::filesystem::path victim = elsewhere.path() / "precious";
    std::ofstream(victim) << "the user's own";
    for (const char* name : {"pakVue.log", "icon1-tray.png"})
        if (!CreateSymbolicLinkW((dir.path() / name).c_str(), victim.c_str(),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
            GTEST_SKIP() << "no symbolic links here: error " << GetLastError();
    platform::replaceFile(dir.path() / "icon1-tray.png", "picture");
    EXPECT_EQ(test::readBinary((dir.path() / "icon1-tray.png").string()), "picture");
    EXPECT_EQ(test::readBinary(victim.string()), "the user's own");
    const std::filesystem::path log = dir.path() / "pakVue.log";
    const DWORD attributes = GetFileAttributesW(log.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "links are not reparse points here";
    std::string refusal;
    EXPECT_FALSE(platform::appendToFile(log, refusal));
    EXPECT_EQ(refusal, "is a symbolic link");
    EXPECT_EQ(test::readBinary(victim.string()), "the user's own");
}

TEST(Win32Files, AReplacedFileTakesTheBytesAndLeavesNothingBeside) {
    test::TemporaryDirectory dir;
    const std::filesystem::path picture = dir.path() / "icon1-tray.png";
    std::ofstream(picture) << "an older picture, longer than the new one";
    platform::replaceFile(picture, "new");
    EXPECT_EQ(test::readBinary(picture.string()), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_THROW(platform::replaceFile(dir.path() / "folder", "x"), std::runtime_error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
