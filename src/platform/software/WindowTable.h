#pragma once

#include "platform/software/SoftwareWindow.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::software {

// The registered classes and the live windows, with their stacking order. Not locked: the
// desktop that owns it is.
class WindowTable {
public:
    bool registerClass(const WindowClass& windowClass);
    const WindowClass* findClass(const std::string& name) const;

    WindowHandle add(SoftwareWindow window);
    void remove(WindowHandle handle);
    SoftwareWindow* find(WindowHandle handle);
    const SoftwareWindow* find(WindowHandle handle) const;
    // The window whose backend window is `native`, or null.
    WindowHandle findNative(std::uintptr_t native) const;
    std::vector<WindowHandle> handles() const;

    // Puts a window at the top of its layer (topmost windows stay above the others).
    void raise(WindowHandle handle);
    // The visible window under a screen point, or null.
    WindowHandle windowAt(Point point) const;
    // A visible window waiting for WM_PAINT, or null.
    WindowHandle firstInvalid() const;

private:
    std::map<std::string, WindowClass> classes_;
    std::map<std::uintptr_t, SoftwareWindow> windows_;
    std::vector<WindowHandle> stacking_; // bottom first
    std::uintptr_t next_ = 0x10010;
};

} // namespace platform::software
