#pragma once

#include "platform/headless/HeadlessWindow.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::headless {

// The registered classes and the live windows, with their stacking order. Not locked: the
// desktop that owns it is.
class WindowTable {
public:
    bool registerClass(const WindowClass& windowClass);
    const WindowClass* findClass(const std::string& name) const;

    WindowHandle add(HeadlessWindow window);
    void remove(WindowHandle handle);
    HeadlessWindow* find(WindowHandle handle);
    const HeadlessWindow* find(WindowHandle handle) const;
    std::vector<WindowHandle> handles() const;

    // Puts a window at the top of its layer (topmost windows stay above the others).
    void raise(WindowHandle handle);
    // The visible window under a screen point, or null.
    WindowHandle windowAt(Point point) const;
    // A visible window waiting for WM_PAINT, or null.
    WindowHandle firstInvalid() const;

private:
    std::map<std::string, WindowClass> classes_;
    std::map<std::uintptr_t, HeadlessWindow> windows_;
    std::vector<WindowHandle> stacking_; // bottom first
    std::uintptr_t next_ = 0x10010;
};

} // namespace platform::headless
