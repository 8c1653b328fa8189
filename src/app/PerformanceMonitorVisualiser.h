#pragma once

#include "app/AnimatedMonitoringTrayIcon.h"
#include "gui/detail/DetailWindow.h"

#include <memory>

namespace gui {

// A configured icon and its detail window.
class PerformanceMonitorVisualiser {
public:
    PerformanceMonitorVisualiser(
        std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon> icon,
        std::shared_ptr<DetailWindow> window)
        : icon_(std::move(icon)), window_(std::move(window)) {}

    std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon> getIcon() const {
        return icon_;
    }
    std::shared_ptr<DetailWindow> getWindow() const { return window_; }

private:
    std::shared_ptr<util::system::monitoring::AnimatedMonitoringTrayIcon> icon_;
    std::shared_ptr<DetailWindow> window_;
};

} // namespace gui
