#pragma once

#include "gui/tray/TrayIcon.h"
#include "util/thread/Thread.h"

#include <memory>

namespace gui {

using Frame = std::shared_ptr<Bitmap<Pixel>>;

// A tray icon whose animation thread makes each frame it produces the icon's picture. It starts
// transparent; the owner starts the thread.
class AnimatedTrayIcon : public TrayIcon, public util::Thread<Frame> {
public:
    AnimatedTrayIcon(platform::WindowHandle window, const std::string& tip, std::uint32_t interval,
                     Producer producer);
    ~AnimatedTrayIcon() override { stopAndWait(); }

    // An empty frame leaves the picture as it was.
    void onFrame(Frame frame) override;
};

} // namespace gui
