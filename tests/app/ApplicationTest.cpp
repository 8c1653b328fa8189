// The whole program on the headless desktop, in a temporary working directory, with another
// temporary directory as the folder of its executable. Tray identifiers count on through the
// process, so a test knows its icons' identifiers only relative to each other: the first of a
// real start is 2361, which the desktop tests of the program see.
#include "app/Application.h"

#include "monitoring/WmiDataCollector.h"
#include "platform/headless/HeadlessDesktopScope.h"
#include "support/LogCapture.h"

#include "gtest/gtest.h"
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using platform::headless::MouseButton;

namespace {

const std::filesystem::path example =
    std::filesystem::absolute(PAKVUE_TEST_DATA "/example.config.json");
const std::filesystem::path shipped =
    std::filesystem::absolute(PAKVUE_TEST_DATA "/../../examples/pakvue.config.json");

std::string graphOf(const std::string& type) {
    return R"({ "input": { "type": ")" + type +
           R"(" }, "output": { "renderMethod": "line",
                "colours": [ { "value": 0, "colour": "#00ff00" } ] } })";
}

std::string iconOf(const std::string& graphs) {
    return R"({ "updateInterval": 100, "scrollAmount": 4, "graphs": [ )" + graphs + " ] }";
}

class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir.path());
    }
    ~ApplicationTest() override { std::filesystem::current_path(previous_); }

    void configure(const std::string& text) {
        std::ofstream(ProgramFiles::configurationName, std::ios::binary) << text;
    }

    void start() {
        application = std::make_unique<Application>(util::system::monitoring::createDataCollector,
                                                    ProgramFiles(dir.path(), programDir.path()));
    }

    // Runs the message loop to its end, as the program does, then ends the program.
    int finish() {
        int code = platform::runMessageLoop();
        application.reset();
        return code;
    }

    void chooseExit(std::uint32_t identifier) {
        desktop.openTrayContextMenu(identifier);
        desktop.pump();
        desktop.chooseMenuItem(platform::exitCommand);
    }

    // The lines of the log in the working directory, or in `folder`, as "Level: message".
    std::vector<std::string> messages() { return messagesOf(log); }
    static std::vector<std::string> messagesIn(const test::TemporaryDirectory& folder) {
        test::LogCapture capture(folder);
        return messagesOf(capture);
    }
    static std::vector<std::string> messagesOf(test::LogCapture& capture) {
        std::vector<std::string> result;
        for (const test::LogLine& line : capture.lines())
            result.push_back(line.level + ": " + line.message);
        return result;
    }

    unsigned pictures(std::uint32_t identifier) {
        auto icon = desktop.trayIcon(identifier);
        return icon ? icon->pictures : 0;
    }

    bool waitForPictures(std::uint32_t identifier, unsigned count) {
        for (int i = 0; i < 200 && pictures(identifier) < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return pictures(identifier) >= count;
    }

    test::TemporaryDirectory dir;
    test::TemporaryDirectory programDir;
    test::LogCapture log{dir};
    platform::headless::HeadlessDesktopScope scope;
    platform::headless::HeadlessDesktop& desktop = scope.desktop;
    std::unique_ptr<Application> application;

private:
    std::filesystem::path previous_;
};

TEST_F(ApplicationTest, TheExampleRunsAnIconThatDrivesItsDetailWindow) {
    std::filesystem::copy_file(example, ProgramFiles::configurationName);
    start();
    ASSERT_EQ(application->icons().size(), 1u);
    const std::uint32_t id = application->icons()[0]->identifier();
    ASSERT_TRUE(desktop.trayIcon(id));
    EXPECT_EQ(desktop.trayIcon(id)->tip, "PakVue: CPU")
        << "the graphs it draws; Memory is preview only";

    // The icon is added transparent and then gets one frame per update interval (1 s).
    ASSERT_TRUE(waitForPictures(id, 3));
    auto first = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitForPictures(id, 4));
    EXPECT_GE(std::chrono::steady_clock::now() - first, std::chrono::milliseconds(500));
    EXPECT_NE(desktop.trayIcon(id)->picture.scanline(8)[8].alpha, 0);

    std::shared_ptr<gui::DetailWindow> window = application->findVisualiser(id)->getWindow();
    platform::Point anchor = desktop.trayIcon(id)->anchor;
    desktop.hoverTrayIcon(id);
    desktop.pump();
    ASSERT_TRUE(desktop.isVisible(window->hwnd));
    platform::Rect preview = desktop.windowRect(window->hwnd);
    EXPECT_EQ(preview.bottom, 1032);
    EXPECT_EQ(preview.right, std::min(anchor.x + preview.width() / 2, 1912))
        << "centred on the icon unless that would leave the screen";
    desktop.leaveTrayIcon(id);
    desktop.pump();
    EXPECT_FALSE(desktop.isVisible(window->hwnd));

    desktop.clickTrayIcon(id);
    desktop.leaveTrayIcon(id);
    desktop.pump();
    EXPECT_TRUE(desktop.isVisible(window->hwnd)) << "a click pins it";
    platform::Rect pinned = desktop.windowRect(window->hwnd);
    desktop.moveMouse({pinned.left + 16, pinned.top + 16});
    desktop.pump();
    desktop.pressButton(MouseButton::Left);
    desktop.releaseButton(MouseButton::Left);
    desktop.pump();
    EXPECT_FALSE(desktop.isVisible(window->hwnd)) << "the close button";
    desktop.hoverTrayIcon(id);
    desktop.pump();
    EXPECT_EQ(desktop.windowRect(window->hwnd), preview);

    // The menu key opens the menu at the icon, wherever the mouse is.
    desktop.moveMouse({100, 100});
    desktop.pressTrayMenuKey(id);
    desktop.pump();
    ASSERT_TRUE(desktop.menuRequest());
    EXPECT_EQ(desktop.menuRequest()->at, anchor);
    EXPECT_EQ(desktop.menuRequest()->owner, application->hwnd);
    desktop.chooseMenuItem(platform::exitCommand);
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(desktop.trayIcons().empty()) << "every icon leaves the notification area";
    EXPECT_EQ(messages(), (std::vector<std::string>{"Info: starting up.", "Info: shutting down."}));
}

// The anchor travels as signed words (monitors left of the primary one are negative), and a
// keyboard user's selection is their click.
TEST_F(ApplicationTest, AKeyboardSelectionPinsTheWindowOnAMonitorLeftOfThePrimary) {
    std::filesystem::copy_file(example, ProgramFiles::configurationName);
    desktop.setMonitors({{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}});
    start();
    const std::uint32_t id = application->icons()[0]->identifier();
    std::shared_ptr<gui::DetailWindow> window = application->findVisualiser(id)->getWindow();
    auto notify = [&](std::uint32_t event) {
        desktop.postMessage(application->hwnd, id, platform::makeWParam(-640, 1000),
                            platform::makeLParam(static_cast<int>(event), static_cast<int>(id)));
        desktop.pump();
    };
    notify(NIN_KEYSELECT);
    notify(NIN_POPUPCLOSE);
    EXPECT_TRUE(desktop.isVisible(window->hwnd)) << "pinned";
    platform::Rect placed = desktop.windowRect(window->hwnd);
    EXPECT_EQ(placed.left + placed.right, -1280) << "centred on the icon";
    EXPECT_EQ(placed.bottom, 1016) << "inside the icon's monitor";
    chooseExit(id);
    EXPECT_EQ(finish(), 0);
}

// Windows 11 puts new icons in the flyout of hidden icons: the preview leaves the icon in sight.
TEST_F(ApplicationTest, APreviewOfAnIconInTheFlyoutLeavesTheIconInSight) {
    std::filesystem::copy_file(example, ProgramFiles::configurationName);
    start();
    const std::uint32_t id = application->icons()[0]->identifier();
    desktop.moveTrayIcon(id, {1700, 990});
    desktop.hoverTrayIcon(id);
    desktop.pump();
    std::shared_ptr<gui::DetailWindow> window = application->findVisualiser(id)->getWindow();
    EXPECT_EQ(desktop.windowRect(window->hwnd).bottom, 990 - 12 - 8);
    chooseExit(id);
    EXPECT_EQ(finish(), 0);
}

// At log-off the system may end the process as soon as it has told it: the whole shutdown, the
// log written out included, runs inside that call, and only once.
TEST_F(ApplicationTest, TheSessionsEndRunsTheWholeShutdownBeforeItReturns) {
    std::filesystem::copy_file(example, ProgramFiles::configurationName);
    start();
    const std::uint32_t id = application->icons()[0]->identifier();
    ASSERT_TRUE(waitForPictures(id, 2));
    desktop.endSession();
    EXPECT_TRUE(desktop.trayIcons().empty());
    std::string written = test::readBinary(dir.file(ProgramFiles::logName));
    EXPECT_TRUE(written.ends_with(" - Info - shutting down.\r\n")) << written;
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Info: starting up.", "Info: shutting down."}));
}

TEST_F(ApplicationTest, TheShippedExampleLoadsEveryIconOnThisSystem) {
    std::filesystem::copy_file(shipped, ProgramFiles::configurationName);
    start();
    EXPECT_EQ(application->icons().size(), 3u);
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Info: starting up.", "Info: shutting down."}));
}

TEST_F(ApplicationTest, ABrokenIconIsSkippedAndTakesNoIdentifier) {
    configure(R"({ "icons": [ )" + iconOf(graphOf("win32")) + ", " + iconOf("") + ", " +
              iconOf(graphOf("win32")) + " ] }");
    start();
    ASSERT_EQ(application->icons().size(), 2u);
    const std::uint32_t second = application->icons()[1]->identifier();
    EXPECT_EQ(second, application->icons()[0]->identifier() + 1);
    EXPECT_EQ(desktop.trayIcons().size(), 2u);
    desktop.sendMessage(application->hwnd, WM_COMMAND, 123, 0);
    EXPECT_TRUE(desktop.pump()) << "other commands are ignored";
    chooseExit(second);
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Info: starting up.", "Error: empty graph configuration.",
                                        "Info: shutting down."}));
}

TEST_F(ApplicationTest, AnEmptyIconListEndsTheProgram) {
    configure(R"({ "icons": [] })");
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Info: starting up.",
                                                    "Error: empty configuration; exiting.",
                                                    "Error: no icons loaded successfully; exiting.",
                                                    "Info: shutting down."}));
}

TEST_F(ApplicationTest, AMissingFileSaysWhereItWasLookedForAndLogsBesideTheProgram) {
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    std::vector<test::LogLine> lines = test::LogCapture(programDir).lines();
    int critical = 0;
    std::string text;
    for (const test::LogLine& line : lines) {
        critical += line.level == "Critical";
        text += line.message + "\n";
    }
    EXPECT_EQ(critical, 1);
    EXPECT_NE(text.find("error parsing json:"), std::string::npos) << text;
    EXPECT_NE(text.find("\"pakvue.config.json\" was not found in \"" + dir.path().string() +
                        "\" or in \"" + programDir.path().string() + "\"."),
              std::string::npos)
        << text;
    EXPECT_EQ(lines.front().message, "starting up.");
    EXPECT_EQ(lines.back().message, "shutting down.");
}

TEST_F(ApplicationTest, StartedElsewhereItRunsOnTheConfigurationBesideTheProgramAndLogsThere) {
    std::filesystem::copy_file(example, programDir.path() / ProgramFiles::configurationName);
    start();
    ASSERT_EQ(application->icons().size(), 1u);
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    EXPECT_EQ(messagesIn(programDir),
              (std::vector<std::string>{"Info: starting up.", "Info: shutting down."}));
}

// Anyone could have put a configuration in a working directory such as /tmp; the program's own
// folder is passed over too when it is that directory.
TEST_F(ApplicationTest, AWorkingDirectoryAnyoneMayWriteIsPassedOverAndTheLogSaysSo) {
    configure("{ \"icons\": [ ] }");
    std::filesystem::copy_file(example, programDir.path() / ProgramFiles::configurationName);
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    EXPECT_FALSE(ProgramFiles(dir.path(), dir.path()).found());
    start();
    ASSERT_EQ(application->icons().size(), 1u) << "the configuration beside the program";
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    EXPECT_EQ(messagesIn(programDir),
              (std::vector<std::string>{
                  "Info: starting up.",
                  "Warning: the working directory \"" + dir.path().string() +
                      "\" may be changed by other users; its pakvue.config.json is not "
                      "used.",
                  "Info: shutting down."}));
}

// A link planted where the log goes, to a file of the user's or to none, is not followed: the
// program runs without a log and says so.
TEST_F(ApplicationTest, ALogThatIsALinkIsLeftAloneAndTheProgramRunsWithoutIt) {
    configure(R"({ "icons": [ )" + iconOf(graphOf("win32")) + " ] }");
    std::ofstream(programDir.path() / "precious") << "the user's own";
    for (const char* target : {"precious", "new"}) {
        std::filesystem::remove(ProgramFiles::logName);
        std::filesystem::create_symlink(programDir.path() / target, ProgramFiles::logName);
        testing::internal::CaptureStderr();
        start();
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Unable to open log output stream: the log file is a symbolic link.");
        EXPECT_EQ(application->icons().size(), 1u);
        chooseExit(application->icons()[0]->identifier());
        EXPECT_EQ(finish(), 0);
    }
    EXPECT_EQ(test::readBinary((programDir.path() / "precious").string()), "the user's own");
    EXPECT_FALSE(std::filesystem::exists(programDir.path() / "new"));
}

TEST_F(ApplicationTest, ASecondInstanceOnTheConfigurationSaysSoAndLeavesTheFirstAlone) {
    configure(R"({ "icons": [ )" + iconOf(graphOf("win32")) + " ] }");
    start();
    ASSERT_EQ(application->icons().size(), 1u);

    // Found the other way, beside the program: the same file all the same.
    test::TemporaryDirectory elsewhere;
    auto second = std::make_unique<Application>(util::system::monitoring::createDataCollector,
                                                ProgramFiles(elsewhere.path(), dir.path()));
    EXPECT_TRUE(second->icons().empty());
    second.reset();
    EXPECT_EQ(desktop.trayIcons().size(), 1u) << "the first instance's icon stays";
    // Without the quit message the loop would wait for ever.
    ASSERT_FALSE(desktop.pump()) << "the second instance did not end the program";
    EXPECT_EQ(finish(), 0) << "the second instance's quit message ends this loop";
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Info: starting up.", "Info: already running; exiting.",
                                        "Info: shutting down."}));
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / ProgramFiles::logName));
}

} // namespace
