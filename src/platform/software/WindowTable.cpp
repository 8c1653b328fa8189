#include "platform/software/WindowTable.h"

#include <algorithm>

namespace platform::software {

namespace {

std::uintptr_t key(WindowHandle handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

} // namespace

bool WindowTable::registerClass(const WindowClass& windowClass) {
    return classes_.emplace(windowClass.name, windowClass).second;
}

const WindowClass* WindowTable::findClass(const std::string& name) const {
    auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : &found->second;
}

WindowHandle WindowTable::add(SoftwareWindow window) {
    // Handles are never reused, so a stale one finds nothing.
    std::uintptr_t id = next_;
    next_ += 4;
    windows_.emplace(id, std::move(window));
    auto handle = reinterpret_cast<WindowHandle>(id);
    stacking_.push_back(handle);
    return handle;
}

void WindowTable::remove(WindowHandle handle) {
    windows_.erase(key(handle));
    std::erase(stacking_, handle);
}

SoftwareWindow* WindowTable::find(WindowHandle handle) {
    auto found = windows_.find(key(handle));
    return found == windows_.end() ? nullptr : &found->second;
}

const SoftwareWindow* WindowTable::find(WindowHandle handle) const {
    auto found = windows_.find(key(handle));
    return found == windows_.end() ? nullptr : &found->second;
}

WindowHandle WindowTable::findNative(std::uintptr_t native) const {
    if (native == 0)
        return nullptr;
    for (const auto& [id, window] : windows_)
        if (window.native == native)
            return reinterpret_cast<WindowHandle>(id);
    return nullptr;
}

std::vector<WindowHandle> WindowTable::handles() const {
    return stacking_;
}

void WindowTable::raise(WindowHandle handle) {
    std::erase(stacking_, handle);
    stacking_.push_back(handle);
}

WindowHandle WindowTable::windowAt(Point point) const {
    for (bool topmostLayer : {true, false})
        for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
            const SoftwareWindow* window = find(*it);
            if (window->visible && window->topmost == topmostLayer &&
                window->bounds.contains(point))
                return *it;
        }
    return nullptr;
}

WindowHandle WindowTable::firstInvalid() const {
    for (WindowHandle handle : stacking_) {
        const SoftwareWindow* window = find(handle);
        if (window->visible && window->invalid)
            return handle;
    }
    return nullptr;
}

} // namespace platform::software
