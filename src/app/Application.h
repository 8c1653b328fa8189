#pragma once

#include "app/ConfigurationLoader.h"
#include "app/PerformanceMonitorVisualiser.h"
#include "app/ProgramFiles.h"
#include "app/RunningIcons.h"
#include "platform/Desktop.h"
#include "platform/Process.h"
#include "winui/basic_window.h"
#include "winui/blank.h"
#include "winui/dynevent.h"
#include "winui/msgwindow.h"

#include <memory>
#include <string>
#include <vector>

// The program: its construction starts everything (the log, the hidden window that receives
// the tray icons' call-backs and the menu's commands, the icons and their detail windows) and
// its destruction ends everything. A start that shows no icon tells the user and ends the
// program with code 1; "Exit" ends it with code 0. While it runs, a change of the configuration
// file, once the writes have settled, loads it again beside the icons shown, which it replaces
// only when it loads. One instance runs per configuration: a second one started on it says so
// in the log and ends.
class Application : public winui::basic_window<winui::msgwindow, winui::dynevent, winui::blank> {
public:
    // The message a change of the configuration file posts, and the timer that lets a burst of
    // writes settle before the file is read.
    static constexpr std::uint32_t configurationChanged = WM_APP;
    static constexpr std::uintptr_t settleTimer = 1;
    static constexpr std::uint32_t settleMilliseconds = 300;

    // Reads the configuration that `files` found, or writes the example where the user keeps
    // theirs, and builds every icon, with collectors from `factory`. Never throws: failures are
    // logged and end the program through a quit message.
    explicit Application(ConfigurationLoader::CollectorFactory factory,
                         const ProgramFiles& files = ProgramFiles::ofThisProcess());
    ~Application() override;

    void onCommand(const winui::evtarg& message);
    void onTrayNotify(const winui::evtarg& message);
    // The session ends: the whole shutdown runs now, the log is written out, and the loop is
    // asked to end, since the process may not live past this call.
    void onSessionEnd();
    // Reads and loads the configuration again, and shows its icons when it loads; otherwise
    // the icons shown stay and the user is told.
    void reload();

    const std::vector<std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>>&
    icons() const {
        return running_.icons();
    }
    std::shared_ptr<gui::PerformanceMonitorVisualiser>
    findVisualiser(std::uint32_t identifier) const;

private:
    bool anotherInstanceRuns(std::string& lockFailure);
    void startUp(const std::string& lockFailure);
    void sayWhereFilesAre();
    void handleMessages();
    void openContextMenu(platform::Point anchor, std::uint32_t identifier);
    void edit(const std::filesystem::path& file);
    void toggleStartAtLogin();
    void showStartAtLogin();
    // Tells the user of a failure; `problem` is the log's first error line for it.
    void tell(const std::string& title, const std::string& problem, const std::string& outcome);
    void shutDown();

    ProgramFiles files_;
    // Released last, so that no second instance starts beside icons that are still shown.
    std::unique_ptr<platform::InstanceLock> instanceLock_;
    bool startedUp_ = false; // false for a second instance, which leaves the log to the first
    bool wroteExample_ = false;
    std::string exampleFailure_; // why the example could not be written
    std::filesystem::path logFile_;
    std::string logFailure_; // why there is no log
    RunningIcons running_;
    std::unique_ptr<platform::FileWatch> watch_;
    platform::MenuHandle menu_ = nullptr;
    ConfigurationLoader::CollectorFactory factory_;
    bool shutDown_ = false;
};
