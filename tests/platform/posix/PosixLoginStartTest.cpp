// The autostart entry that "Start at login" writes on Linux.
#include "platform/LoginStart.h"
#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <fstream>

namespace {

class PosixLoginStartTest : public ::testing::Test {
protected:
    test::TemporaryDirectory dir;
    const std::filesystem::path place = dir.path() / "config" / "autostart";
    const std::filesystem::path entry = place / "pakvue.desktop";
    const platform::LoginCommand command{"/usr/bin/pakvue",
                                         "/home/u/.config/pakvue/pakvue.config.json"};
};

TEST_F(PosixLoginStartTest, TheEntryRunsThisProgramOnThisConfigurationUntilRemoved) {
    EXPECT_FALSE(platform::startsAtLogin(place, command));
    platform::startAtLogin(place, command);
    EXPECT_EQ(test::readBinary(entry.string()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=PakVue\n"
              "Comment=Live graphs of processor, memory, disk and network use in the notification "
              "area\n"
              "Icon=pakvue\n"
              "Exec=\"/usr/bin/pakvue\" --config \"/home/u/.config/pakvue/pakvue.config.json\"\n"
              "Terminal=false\n");
    EXPECT_TRUE(platform::startsAtLogin(place, command));
    EXPECT_FALSE(platform::startsAtLogin(place, {"/opt/pakvue/pakvue", command.configuration}))
        << "a program that moved";
    EXPECT_FALSE(platform::startsAtLogin(place, {command.program, "/home/u/other.json"}));
    std::ofstream(entry, std::ios::app) << "Hidden=true\n";
    EXPECT_FALSE(platform::startsAtLogin(place, command)) << "switched off by the desktop";
    platform::stopStartingAtLogin(place);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(platform::startsAtLogin(place, command));
    platform::stopStartingAtLogin(place); // nothing to remove
}

// Desktop entry quoting: within quotes a backslash escapes '"', '`', '$' and itself, '%' is
// doubled, and the value escapes each backslash once more.
TEST_F(PosixLoginStartTest, APathOfAnyCharactersIsQuotedAsDesktopEntriesRead) {
    const platform::LoginCommand odd{"/opt/my \"tools\"/pakvue",
                                     "/home/u/50% `$HOME`\\/pakvue.config.json"};
    EXPECT_EQ(
        platform::loginCommandLine(odd),
        R"("/opt/my \"tools\"/pakvue" --config "/home/u/50%% \`\$HOME\`\\/pakvue.config.json")");
    platform::startAtLogin(place, odd);
    EXPECT_NE(
        test::readBinary(entry.string())
            .find(R"(Exec="/opt/my \\"tools\\"/pakvue" --config "/home/u/50%% \\`\\$HOME\\`\\\\/)"),
        std::string::npos)
        << test::readBinary(entry.string());
    EXPECT_TRUE(platform::startsAtLogin(place, odd));
    EXPECT_THROW(platform::startAtLogin(place, {"/opt/a\nb/pakvue", "/c.json"}), std::runtime_error)
        << "a line break has no spelling in an entry";
    EXPECT_FALSE(platform::startsAtLogin(place, {"/opt/a\nb/pakvue", "/c.json"}));
}

} // namespace
