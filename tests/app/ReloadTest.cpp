// The program reading its configuration again while it runs, on the headless desktop, whose
// file watch the test drives: the desktops' own watches have tests of their own.
#include "support/ApplicationFixture.h"

namespace {

using ApplicationTest = test::ApplicationFixture;
using Identifiers = std::vector<std::uint32_t>;

// What the user sees of an icon: its tip names its graphs.
std::string tipOf(platform::headless::HeadlessDesktop& desktop, std::uint32_t identifier) {
    const auto icon = desktop.trayIcon(identifier);
    return icon ? icon->tip : "(no icon)";
}

std::size_t count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// An icon whose settings are the same keeps everything it had: the object, its samples, its
// place and its pinned window. A changed one is built anew, a removed one leaves the tray and
// its call-backs, and a new one comes last.
TEST_F(ApplicationTest, AReloadKeepsUnchangedIconsAndReplacesTheOthers) {
    configure(iconsNamed({"Kept", "Changed", "Removed"}));
    start();
    const Identifiers before = identifiers();
    ASSERT_EQ(before.size(), 3u);
    const auto kept = application->icons()[0];
    ASSERT_TRUE(waitForPictures(before[0], 3));
    const std::uint32_t samples = kept->configuration()->dataSet->generation();
    desktop.clickTrayIcon(before[0]);
    desktop.pump();
    const auto window = application->findVisualiser(before[0])->getWindow();
    ASSERT_TRUE(desktop.isVisible(window->hwnd));

    configure(iconsNamed({"Kept", "Changed now", "New"}));
    desktop.changeFile(configuration());
    ASSERT_TRUE(pumpUntil([&] { return identifiers() != before; }));
    const Identifiers after = identifiers();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(application->icons()[0], kept);
    EXPECT_GE(kept->configuration()->dataSet->generation(), samples) << "its samples stay";
    EXPECT_EQ(application->findVisualiser(after[0])->getWindow(), window);
    EXPECT_TRUE(desktop.isVisible(window->hwnd)) << "still pinned";
    EXPECT_GT(after[1], before[2]);
    EXPECT_EQ(after[2], after[1] + 1);
    EXPECT_EQ(tipOf(desktop, after[1]), "PakVue: Changed now");
    EXPECT_EQ(tipOf(desktop, after[2]), "PakVue: New");
    for (const std::uint32_t gone : {before[1], before[2]}) {
        EXPECT_FALSE(desktop.trayIcon(gone));
        EXPECT_FALSE(application->findVisualiser(gone));
        desktop.postMessage(application->hwnd, gone, 0, platform::makeLParam(NIN_SELECT, 0));
        EXPECT_TRUE(desktop.pump()) << "a call-back of an icon that went is dropped";
    }
    std::vector<std::uint32_t> shown;
    for (const auto& icon : desktop.trayIcons())
        shown.push_back(icon.identifier);
    EXPECT_EQ(shown, after) << "the kept icon first, where it was";
    ASSERT_TRUE(waitForPictures(after[2], 2)) << "the new icons sample";
    chooseExit(after[0]);
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(count(messages(), "Info: configuration reloaded: 3 icons."), 1u);
}

// A save that does not load leaves everything as it was; the log has the reader's lines, and
// the user is told with the first of them and where the log is. The watch goes on.
TEST_F(ApplicationTest, ABrokenSaveKeepsTheIconsAndTellsTheUser) {
    configure(iconsNamed({"Memory"}));
    start();
    const Identifiers before = identifiers();
    configure("{ \"icons\": [ { \"updateInterval\": 100, } ");
    desktop.changeFile(configuration());
    ASSERT_TRUE(pumpUntil([&] { return !desktop.notices().empty(); }));
    EXPECT_EQ(identifiers(), before);
    EXPECT_TRUE(desktop.trayIcon(before[0]));
    const platform::headless::Notice notice = desktop.notices()[0];
    EXPECT_EQ(notice.title, "PakVue did not reload its configuration");
    EXPECT_TRUE(notice.text.starts_with("error parsing json: " + configuration().string() + "(1)"))
        << notice.text;
    EXPECT_TRUE(notice.text.ends_with("\nThe icons shown stay as they were.\nThe log has the "
                                      "details: " +
                                      (dir.path() / "pakVue.log").string()))
        << notice.text;

    configure(R"({ "icons": [ )" + iconOf("") + " ] }");
    desktop.changeFile(configuration());
    ASSERT_TRUE(pumpUntil([&] { return desktop.notices().size() == 2; }));
    EXPECT_EQ(desktop.notices()[1].text.substr(0, 27), "empty graph configuration.\n");
    std::filesystem::remove(configuration());
    desktop.changeFile(configuration());
    ASSERT_TRUE(pumpUntil([&] { return desktop.notices().size() == 3; }));
    EXPECT_TRUE(
        desktop.notices()[2].text.starts_with("error parsing json: the configuration file \"" +
                                              configuration().string() + "\" was not found.\n"))
        << "what went wrong, not the reader's words for an empty text: "
        << desktop.notices()[2].text;
    EXPECT_EQ(identifiers(), before);
    chooseExit(before[0]);
    EXPECT_EQ(finish(), 0);
    const std::vector<std::string> lines = messages();
    EXPECT_EQ(count(lines, "Error: no icons loaded successfully; the icons shown stay."), 1u);
    const auto parseError = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("Error: error parsing json:");
    });
    ASSERT_NE(parseError, lines.end()) << "logged as an error: the program goes on";
    EXPECT_TRUE(parseError[1].starts_with("(malformed):  - ")) << "the reader's own lines follow";
}

// Editors and scripts write a file in several steps; the program reads it once they have
// settled, however many there were.
TEST_F(ApplicationTest, TwentySavesWithinASecondGiveOneReload) {
    configure(iconsNamed({"Memory"}));
    start();
    for (int save = 0; save < 20; ++save) {
        configure(iconsNamed({"Memory", "Save " + std::to_string(save)}));
        desktop.changeFile(configuration());
        pumpFor(std::chrono::milliseconds(45));
    }
    ASSERT_TRUE(pumpUntil([&] { return application->icons().size() == 2; }));
    pumpFor(std::chrono::milliseconds(600));
    EXPECT_EQ(tipOf(desktop, identifiers()[1]), "PakVue: Save 19");
    chooseExit(identifiers()[0]);
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(count(messages(), "Info: configuration reloaded: 2 icons."), 1u);
}

// "Reload configuration" reads the file at once, without waiting for writes to settle.
TEST_F(ApplicationTest, TheMenusReloadReadsTheFileAtOnce) {
    configure(iconsNamed({"One"}));
    start();
    const std::uint32_t first = identifiers()[0];
    configure(iconsNamed({"One", "Two"}));
    choose(first, platform::reloadConfigurationCommand);
    EXPECT_EQ(identifiers().size(), 2u);
    EXPECT_EQ(identifiers()[0], first);
    chooseExit(first);
    EXPECT_EQ(finish(), 0);
}

} // namespace
