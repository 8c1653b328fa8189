#pragma once

#include "platform/Messages.h"

#include <memory>

namespace gui {

class Control;

// What controls may ask of the top-level window they are drawn in.
class IWindow {
public:
    virtual std::shared_ptr<Control> leftPressedControl() = 0;

protected:
    ~IWindow() = default;
};

// The window a control tree belongs to: its handle and the window itself.
struct OwnerWindow {
    platform::WindowHandle hwnd = nullptr;
    IWindow* window = nullptr;
};

} // namespace gui
