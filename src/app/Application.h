#pragma once

#include "app/ConfigurationLoader.h"
#include "app/PerformanceMonitorVisualiser.h"
#include "gui/detail/WindowManager.h"
#include "javascript/JsonReader.h"
#include "winui/basic_window.h"
#include "winui/blank.h"
#include "winui/dynevent.h"
#include "winui/msgwindow.h"

#include <memory>
#include <vector>

// The program: its construction starts everything (the log, the hidden window that receives
// the tray icons' call-backs and the menu's command, the icons and their detail windows) and its
// destruction ends everything. Every way it ends goes through a quit message with code 0.
class Application : public winui::basic_window<winui::msgwindow, winui::dynevent, winui::blank> {
public:
    static constexpr const char* configurationFile = "pakvue.config.json";
    static constexpr const char* logFile = "pakVue.log";

    // Reads "pakvue.config.json" and builds every icon, with collectors from `factory`. Never
    // throws: failures are logged and end the program through a quit message.
    explicit Application(ConfigurationLoader::CollectorFactory factory);
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
    void startUp();
    void loadConfiguration();
    void loadIcons();
    std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>
    loadIcon(const std::shared_ptr<javascript::Value>& entry);
    void openContextMenu();
    void shutDown();

    std::shared_ptr<javascript::JsonReader> reader_ = std::make_shared<javascript::JsonReader>();
    std::vector<std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>> icons_;
    std::vector<std::shared_ptr<gui::PerformanceMonitorVisualiser>> visualisers_;
    std::shared_ptr<gui::WindowManager> windowManager_ = std::make_shared<gui::WindowManager>();
    platform::MenuHandle menu_ = nullptr;
    ConfigurationLoader::CollectorFactory factory_;
    bool shutDown_ = false;
};
