// Files written where someone else may have put something first, on Windows.
#include "platform/Files.h"
#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <fstream>
#include <windows.h>

namespace {

TEST(Win32Files, AppendingRefusesAnythingButAFile) {
    std::string refusal;
    EXPECT_FALSE(platform::appendToFile("NUL", refusal));
    EXPECT_EQ(refusal, "is not a regular file");
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

} // namespace
