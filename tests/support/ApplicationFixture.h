#pragma once

#include "app/Application.h"
#include "monitoring/WmiDataCollector.h"
#include "platform/headless/HeadlessDesktopScope.h"
#include "support/Eventually.h"
#include "support/LogCapture.h"

#include "gtest/gtest.h"
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace test {

// The whole program on the headless desktop, in a temporary working directory, with another
// temporary directory as the folder of its executable and a third as the user's home. Tray
// identifiers count on through the process, so a test knows its icons' identifiers only
// relative to each other: the first of a real start is 2361, which the desktop tests see.
class ApplicationFixture : public ::testing::Test {
protected:
    ApplicationFixture() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir.path());
    }
    ~ApplicationFixture() override { std::filesystem::current_path(previous_); }

    static std::string graphOf(const std::string& type, const std::string& name = "") {
        return R"({ "input": { "type": ")" + type + R"(" }, "output": { "toolTip": ")" + name +
               R"(", "renderMethod": "line",
                "colours": [ { "value": 0, "colour": "#00ff00" } ] } })";
    }
    static std::string iconOf(const std::string& graphs) {
        return R"({ "updateInterval": 100, "scrollAmount": 4, "graphs": [ )" + graphs + " ] }";
    }
    // A configuration of icons with one memory graph each, named as given.
    static std::string iconsNamed(const std::vector<std::string>& names) {
        std::string icons;
        for (const std::string& name : names)
            icons += (icons.empty() ? "" : ", ") + iconOf(graphOf("win32", name));
        return R"({ "icons": [ )" + icons + " ] }";
    }

    std::filesystem::path configuration() const {
        return dir.path() / ProgramFiles::configurationName;
    }
    void configure(const std::string& text) {
        std::ofstream(configuration(), std::ios::binary) << text;
    }

    void start() {
        application =
            std::make_unique<Application>(util::system::monitoring::createDataCollector,
                                          ProgramFiles(dir.path(), programDir.path(), user));
    }

    // Runs the message loop to its end, as the program does, then ends the program.
    int finish() {
        int code = platform::runMessageLoop();
        application.reset();
        return code;
    }

    void openMenu(std::uint32_t identifier) {
        desktop.openTrayContextMenu(identifier);
        desktop.pump();
    }
    void choose(std::uint32_t identifier, std::uint32_t command) {
        openMenu(identifier);
        desktop.chooseMenuItem(command);
        desktop.pump();
    }
    void chooseExit(std::uint32_t identifier) {
        openMenu(identifier);
        desktop.chooseMenuItem(platform::exitCommand);
    }

    // Delivers messages, due timers included, until `condition` holds; false after 10 s.
    template <typename Condition>
    bool pumpUntil(Condition condition) {
        return eventually([&] {
            desktop.pump();
            return condition();
        });
    }
    // Delivers messages, due timers included, for a while.
    void pumpFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            desktop.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::vector<std::uint32_t> identifiers() const {
        std::vector<std::uint32_t> result;
        for (const auto& icon : application->icons())
            result.push_back(icon->identifier());
        return result;
    }

    // The lines of the log in the working directory, or in `folder`, as "Level: message". The
    // log is closed first, so that every line is written out.
    std::vector<std::string> messages() { return messagesOf(log); }
    static std::vector<std::string> messagesIn(const std::filesystem::path& folder) {
        LogCapture capture(folder);
        return messagesOf(capture);
    }
    static std::vector<std::string> messagesOf(LogCapture& capture) {
        std::vector<std::string> result;
        for (const LogLine& line : capture.lines())
            result.push_back(line.level + ": " + line.message);
        return result;
    }

    unsigned pictures(std::uint32_t identifier) {
        auto icon = desktop.trayIcon(identifier);
        return icon ? icon->pictures : 0;
    }
    bool waitForPictures(std::uint32_t identifier, unsigned count) {
        return eventually([&] { return pictures(identifier) >= count; });
    }

    TemporaryDirectory dir;
    TemporaryDirectory programDir;
    TemporaryDirectory home;
    const platform::UserFolders user{home.path() / "config" / "pakvue",
                                     home.path() / "state" / "pakvue", home.path() / ".pakvue",
                                     home.path() / "config" / "autostart"};
    LogCapture log{dir.path()};
    platform::headless::HeadlessDesktopScope scope;
    platform::headless::HeadlessDesktop& desktop = scope.desktop;
    std::unique_ptr<Application> application;

private:
    std::filesystem::path previous_;
};

} // namespace test
