#pragma once

#include "gui/MonitorConfiguration.h"
#include "gui/tray/AnimatedGraphTrayIcon.h"
#include "util/SharedPtrProvider.h"

namespace util::system::monitoring {

// The tray icon of one configured icon. It sets the pace of everything: once per update
// interval it takes one sample of every graph, which wakes an open detail window, and draws
// its own next frame.
class AnimatedMonitoringTrayIcon : public gui::AnimatedGraphTrayIcon,
                                   public SharedPtrProvider<AnimatedMonitoringTrayIcon> {
public:
    AnimatedMonitoringTrayIcon(platform::WindowHandle window,
                               std::shared_ptr<gui::MonitorConfiguration> configuration);
    ~AnimatedMonitoringTrayIcon() override { stopAndWait(); }

    const std::shared_ptr<gui::MonitorConfiguration>& configuration() const {
        return configuration_;
    }

private:
    gui::Frame produceFrame();

    std::shared_ptr<gui::MonitorConfiguration> configuration_;
};

} // namespace util::system::monitoring
