#include "gui/tray/AnimatedTrayIcon.h"

#include "platform/Desktop.h"

namespace gui {

AnimatedTrayIcon::AnimatedTrayIcon(platform::WindowHandle window, const std::string& tip,
                                   std::uint32_t interval, Producer producer)
    : TrayIcon(window, Bitmap<Pixel>(platform::trayIconSize, platform::trayIconSize, Pixel{}), tip),
      util::Thread<Frame>(interval, std::move(producer)) {}

void AnimatedTrayIcon::onFrame(Frame frame) {
    if (frame)
        setPicture(*frame);
}

} // namespace gui
