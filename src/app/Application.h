#pragma once

#include "app/ConfigurationLoader.h"
#include "app/PerformanceMonitorVisualiser.h"
#include "app/ProgramFiles.h"
#include "gui/detail/WindowManager.h"
#include "javascript/JsonReader.h"
#include "platform/Process.h"
#include "winui/basic_window.h"
#include "winui/blank.h"
#include "winui/dynevent.h"
#include "winui/msgwindow.h"

#include <memory>
#include <vector>

// The program: its construction starts everything (the log, the hidden window that receives
// the tray icons' call-backs and the menu's command, the icons and their detail windows) and its
// destruction ends everything. Every way it ends goes through a quit message with code 0. One
// instance runs per configuration: a second one started on it says so and ends.
class Application : public winui::basic_window<winui::msgwindow, winui::dynevent, winui::blank> {
public:
    // Reads the configuration that `files` found and builds every icon, with collectors from
    // `factory`. Never throws: failures are logged and end the program through a quit message.
    explicit Application(ConfigurationLoader::CollectorFactory factory,
                         const ProgramFiles& files = ProgramFiles::ofThisProcess());
    ~Application() override;

    void onCommand(const winui::evtarg& message);
    void onTrayNotify(const winui::evtarg& message);
    // The session ends: the whole shutdown runs now, the log is written out, and the loop is
    // asked to end, since the process may not live past this call.
    void onSessionEnd();

    const std::vector<std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>>&
    icons() const {
        return icons_;
    }
    std::shared_ptr<gui::PerformanceMonitorVisualiser>
    findVisualiser(std::uint32_t identifier) const;

private:
    bool anotherInstanceRuns(std::string& lockFailure);
    void startUp(const std::string& lockFailure);
    void loadConfiguration();
    std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>
    loadIcon(const std::shared_ptr<javascript::Value>& entry);
    void openContextMenu(platform::Point anchor, std::uint32_t identifier);
    void shutDown();

    ProgramFiles files_;
    // Released last, so that no second instance starts beside icons that are still shown.
    std::unique_ptr<platform::InstanceLock> instanceLock_;
    bool startedUp_ = false; // false for a second instance, which leaves the log to the first
    std::shared_ptr<javascript::JsonReader> reader_ = std::make_shared<javascript::JsonReader>();
    std::vector<std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>> icons_;
    std::vector<std::shared_ptr<gui::PerformanceMonitorVisualiser>> visualisers_;
    std::shared_ptr<gui::WindowManager> windowManager_ = std::make_shared<gui::WindowManager>();
    platform::MenuHandle menu_ = nullptr;
    ConfigurationLoader::CollectorFactory factory_;
    bool shutDown_ = false;
};
