#include "app/AnimatedMonitoringTrayIcon.h"

namespace util::system::monitoring {

AnimatedMonitoringTrayIcon::AnimatedMonitoringTrayIcon(
    platform::WindowHandle window, std::shared_ptr<gui::MonitorConfiguration> configuration)
    : gui::AnimatedGraphTrayIcon(window, configuration->tray, configuration->dataSet,
                                 [this] { return produceFrame(); }),
      configuration_(std::move(configuration)) {}

gui::Frame AnimatedMonitoringTrayIcon::produceFrame() {
    configuration_->dataSet->update();
    return renderFrame();
}

} // namespace util::system::monitoring
