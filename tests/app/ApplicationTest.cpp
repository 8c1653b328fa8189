// The whole program on the headless desktop: its start, what it shows and its menu.
#include "support/ApplicationFixture.h"

namespace {

using platform::headless::MouseButton;
using ApplicationTest = test::ApplicationFixture;

const std::filesystem::path example =
    std::filesystem::absolute(PAKVUE_TEST_DATA "/example.config.json");
const std::filesystem::path shipped =
    std::filesystem::absolute(PAKVUE_TEST_DATA "/../../examples/pakvue.config.json");

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

// The menu's commands: the file and the log open in the desktop's editor (an editor that does
// not start is said), and "Start at login" writes and removes the login entry. Its check mark
// shows whether the entry runs this program on this configuration, as it is when the menu opens.
TEST_F(ApplicationTest, TheMenuEditsTheFilesAndStartsAtLoginAsItsCheckMarkShows) {
    configure(iconsNamed({"Memory"}));
    start();
    const std::uint32_t id = application->icons()[0]->identifier();
    const auto startAtLogin = [&] {
        openMenu(id);
        const std::vector<platform::MenuItem> items = desktop.menuRequest()->items;
        const auto item = std::find_if(items.begin(), items.end(), [](const auto& item) {
            return item.command == platform::startAtLoginCommand;
        });
        return item != items.end() && item->checked;
    };
    openMenu(id);
    std::vector<std::string> texts;
    const std::vector<platform::MenuItem> items = desktop.menuRequest()->items;
    for (const platform::MenuItem& item : items)
        texts.push_back(item.text);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"&Edit configuration", "Open &log", "&Reload configuration",
                                        "&Start at login", "", "E&xit"}));
    EXPECT_FALSE(startAtLogin());

    desktop.chooseMenuItem(platform::startAtLoginCommand);
    desktop.pump();
    const std::filesystem::path entry = user.loginStart / "pakvue.desktop";
    EXPECT_TRUE(std::filesystem::is_regular_file(entry));
    EXPECT_TRUE(startAtLogin());
    // Another program's entry, as after PakVue moved: unchecked, and choosing it writes ours.
    std::ofstream(entry) << "[Desktop Entry]\nExec=\"/opt/old/pakvue\" --config \"" +
                                configuration().string() + "\"\n";
    EXPECT_FALSE(startAtLogin());
    desktop.chooseMenuItem(platform::startAtLoginCommand);
    desktop.pump();
    EXPECT_TRUE(startAtLogin());
    desktop.chooseMenuItem(platform::startAtLoginCommand);
    desktop.pump();
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(startAtLogin());
    desktop.chooseMenuItem(platform::editConfigurationCommand);
    desktop.pump();

    choose(id, platform::openLogCommand);
    EXPECT_EQ(desktop.editedFiles(),
              (std::vector<std::filesystem::path>{configuration(), dir.path() / "pakVue.log"}));
    desktop.failNextEditor("xdg-open was not found.");
    choose(id, platform::editConfigurationCommand);
    ASSERT_EQ(desktop.notices().size(), 1u);
    EXPECT_EQ(desktop.notices()[0].text, "xdg-open was not found.");
    chooseExit(id);
    EXPECT_EQ(finish(), 0);
    const std::vector<std::string> logged = messages();
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "Info: no longer starts at login."), 1);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "Error: xdg-open was not found."), 1);
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

// A start that shows nothing says so to the user, with the log's first error line and where
// the log is, and ends with code 1.
TEST_F(ApplicationTest, AnEmptyIconListEndsTheProgramWithCode1AndTellsTheUser) {
    configure(R"({ "icons": [] })");
    start();
    EXPECT_EQ(finish(), 1);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Info: starting up.",
                                                    "Error: empty configuration; exiting.",
                                                    "Error: no icons loaded successfully; exiting.",
                                                    "Info: shutting down."}));
    ASSERT_EQ(desktop.notices().size(), 1u);
    EXPECT_EQ(desktop.notices()[0].title, "PakVue did not start");
    EXPECT_EQ(desktop.notices()[0].text,
              "empty configuration; exiting.\nThe log has the details: " +
                  (dir.path() / "pakVue.log").string());
}

TEST_F(ApplicationTest, AFileThatDoesNotParseNamesItsFirstErrorToTheUser) {
    configure("{ \"icons\": [ { \"updateInterval\": } ] }");
    start();
    EXPECT_EQ(finish(), 1);
    ASSERT_EQ(desktop.notices().size(), 1u);
    EXPECT_EQ(desktop.notices()[0].text,
              "error parsing json: " + configuration().string() +
                  "(1): error: syntax error: '}'\nThe log has the details: " +
                  (dir.path() / "pakVue.log").string());
}

TEST_F(ApplicationTest, AHiddenWindowThatCannotBeMadeEndsTheStartAndTellsTheUser) {
    configure(iconsNamed({"Memory"}));
    desktop.failNextRegistration(ERROR_INVALID_PARAMETER);
    start();
    EXPECT_EQ(finish(), 1);
    ASSERT_EQ(desktop.notices().size(), 1u);
    EXPECT_TRUE(desktop.notices()[0].text.starts_with("failed to register class"))
        << desktop.notices()[0].text;
    EXPECT_EQ(messages().at(1), "Critical: failed to register class (RegisterClassEx)");
}

// A first start: no configuration anywhere, so the example goes where the user keeps theirs,
// made for them alone, and the program runs on it and logs beside it.
TEST_F(ApplicationTest, WithoutAConfigurationAnywhereTheExampleIsWrittenAndRuns) {
    start();
    const std::filesystem::path written = user.configuration / ProgramFiles::configurationName;
    ASSERT_TRUE(std::filesystem::is_regular_file(written));
    EXPECT_EQ(application->icons().size(), 3u) << "the example's icons";
    EXPECT_EQ(desktop.watchedFiles(), std::vector<std::filesystem::path>{written});
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(desktop.notices().empty());
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    EXPECT_EQ(messagesIn(user.configuration),
              (std::vector<std::string>{"Info: starting up.",
                                        "Info: wrote the example configuration to \"" +
                                            written.string() + "\".",
                                        "Info: shutting down."}));
}

// Where even the user's folder cannot take the example, the log says why and where a
// configuration was looked for, beside the program; the user is told, and the program ends.
TEST_F(ApplicationTest, AnExampleThatCannotBeWrittenEndsTheStartAndSaysWhereItLooked) {
    std::ofstream(home.path() / "config") << "a file where the folder would go";
    start();
    EXPECT_EQ(finish(), 1);
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    std::vector<test::LogLine> lines = test::LogCapture(programDir).lines();
    int critical = 0;
    std::string text;
    for (const test::LogLine& line : lines) {
        critical += line.level == "Critical";
        text += line.message + "\n";
    }
    EXPECT_EQ(critical, 1);
    EXPECT_NE(text.find("unable to make the folder \"" + user.configuration.string()),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"pakvue.config.json\" was not found in \"" + dir.path().string() +
                        "\" or in \"" + programDir.path().string() + "\""),
              std::string::npos)
        << text;
    EXPECT_EQ(lines.front().message, "starting up.");
    EXPECT_EQ(lines.back().message, "shutting down.");
    ASSERT_EQ(desktop.notices().size(), 1u);
    EXPECT_TRUE(desktop.notices()[0].text.starts_with("unable to make the folder \"" +
                                                      user.configuration.string()))
        << desktop.notices()[0].text;
}

TEST_F(ApplicationTest, StartedElsewhereItRunsOnTheConfigurationBesideTheProgramAndLogsThere) {
    std::filesystem::copy_file(example, programDir.path() / ProgramFiles::configurationName);
    start();
    ASSERT_EQ(application->icons().size(), 1u);
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    EXPECT_EQ(messagesIn(programDir.path()),
              (std::vector<std::string>{"Info: starting up.", "Info: shutting down."}));
}

// Anyone could have put a configuration in a working directory such as /tmp; the program's own
// folder is passed over too when it is that directory.
TEST_F(ApplicationTest, AWorkingDirectoryAnyoneMayWriteIsPassedOverAndTheLogSaysSo) {
    configure("{ \"icons\": [ ] }");
    std::filesystem::copy_file(example, programDir.path() / ProgramFiles::configurationName);
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    EXPECT_FALSE(ProgramFiles(dir.path(), dir.path(), {}).found());
    start();
    ASSERT_EQ(application->icons().size(), 1u) << "the configuration beside the program";
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(ProgramFiles::logName)) << "not in the working directory";
    EXPECT_EQ(messagesIn(programDir.path()),
              (std::vector<std::string>{
                  "Info: starting up.",
                  "Warning: the working directory \"" + dir.path().string() +
                      "\" may be changed by other users; its pakvue.config.json is not "
                      "used.",
                  "Info: shutting down."}));
}

// A link planted where the log goes, to a file of the user's or to none, is not followed: the
// log goes to the user's state folder and begins by naming the configuration; without that
// folder the program runs without a log and tells the user.
TEST_F(ApplicationTest, ALogThatIsALinkIsLeftAloneForTheStateFolderOrNone) {
    configure(iconsNamed({"Memory"}));
    std::ofstream(programDir.path() / "precious") << "the user's own";
    std::filesystem::create_symlink(programDir.path() / "precious", ProgramFiles::logName);
    start();
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(messagesIn(user.state),
              (std::vector<std::string>{"Info: the configuration is \"" + configuration().string() +
                                            "\"; its folder cannot be written, so the log is here.",
                                        "Info: starting up.", "Info: shutting down."}));

    std::filesystem::remove(ProgramFiles::logName);
    std::filesystem::create_symlink(programDir.path() / "new", ProgramFiles::logName);
    testing::internal::CaptureStderr();
    application = std::make_unique<Application>(util::system::monitoring::createDataCollector,
                                                ProgramFiles(dir.path(), programDir.path(), {}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unable to open log output stream: the log file is a symbolic link.");
    EXPECT_EQ(application->icons().size(), 1u);
    chooseExit(application->icons()[0]->identifier());
    EXPECT_EQ(finish(), 0);
    ASSERT_EQ(desktop.notices().size(), 1u);
    EXPECT_EQ(desktop.notices()[0].title, "PakVue runs without a log");
    EXPECT_EQ(desktop.notices()[0].text,
              "Unable to open log output stream: the log file is a symbolic link.");
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
                                                ProgramFiles(elsewhere.path(), dir.path(), user));
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
