#pragma once

#include "gui/Window.h"
#include "util/thread/WaitingThread.h"

namespace gui {

// A window whose animation thread redraws its controls whenever the waiter says new data has
// come; the frames themselves carry nothing.
class WaitingAnimatedWindow : public util::WaitingThread<std::shared_ptr<Bitmap<Pixel>>>,
                              public Window {
public:
    WaitingAnimatedWindow(Producer producer, Waiter waiter)
        : util::WaitingThread<std::shared_ptr<Bitmap<Pixel>>>(std::move(producer),
                                                              std::move(waiter)) {}
    // The thread stops before the window and the controls it draws into are gone.
    ~WaitingAnimatedWindow() override { stopAndWait(); }

    void onFrame(std::shared_ptr<Bitmap<Pixel>>) override {}
};

} // namespace gui
