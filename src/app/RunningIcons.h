#pragma once

#include "app/ConfigurationCheck.h"
#include "app/PerformanceMonitorVisualiser.h"
#include "gui/detail/WindowManager.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The icons the program shows, each with its detail window and the settings it was built from.
// A newly loaded configuration replaces them icon by icon: an icon whose settings are unchanged
// stays as it is, with its history, its place in the tray, its identifier and its detail window
// as it is on the screen; a changed icon is built anew, a removed one goes and a new one comes.
// Only the loop's thread uses it.
class RunningIcons {
public:
    // `listen` is told of each identifier that comes (true) and goes (false), to route its
    // call-backs.
    explicit RunningIcons(std::function<void(std::uint32_t identifier, bool comes)> listen);
    ~RunningIcons();
    RunningIcons(const RunningIcons&) = delete;
    RunningIcons& operator=(const RunningIcons&) = delete;

    // Shows the icons of `loaded` in its order, with their call-backs going to `owner`, then
    // starts the threads of the new ones. An icon that cannot be built logs its text at level
    // Error and is left out.
    void replace(const LoadedConfiguration& loaded, platform::WindowHandle owner);
    // Stops every icon's thread, then removes the icons and their windows.
    void clear();

    const std::vector<std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>>&
    icons() const {
        return icons_;
    }
    std::shared_ptr<gui::PerformanceMonitorVisualiser> find(std::uint32_t identifier) const;

private:
    struct Shown {
        std::shared_ptr<javascript::Value> entry;     // the icon's object in the configuration
        std::shared_ptr<javascript::Value> inspector; // the document's "inspectorType", if any
        std::shared_ptr<gui::PerformanceMonitorVisualiser> visualiser;
    };

    Shown build(const LoadedIcon& icon, const std::shared_ptr<javascript::Value>& inspector,
                platform::WindowHandle owner);
    // Ends the shown icons not marked as kept: their threads stop before anything goes.
    void end(const std::vector<bool>& kept);

    std::function<void(std::uint32_t, bool)> listen_;
    std::shared_ptr<gui::WindowManager> windowManager_ = std::make_shared<gui::WindowManager>();
    std::vector<Shown> shown_;
    std::vector<std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon>> icons_;
};
