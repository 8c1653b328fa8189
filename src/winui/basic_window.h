#pragma once

#include "platform/Desktop.h"
#include "winui/child_control.h"
#include "winui/window.h"
#include "winui/window_procedure.h"

#include <map>
#include <memory>

namespace winui {

class noncopyable {
protected:
    noncopyable() = default;
    ~noncopyable() = default;

public:
    noncopyable(const noncopyable&) = delete;
    noncopyable& operator=(const noncopyable&) = delete;
};

// A window object composed of a kind (registers the class, creates the system window), an
// event policy (holds the handlers) and a renderer (paints).
template <typename Kind, typename Events, typename Renderer>
class basic_window : private noncopyable,
                     public Kind,
                     public Events,
                     public Renderer,
                     public window,
                     private message_target {
public:
    basic_window() : window(Kind::recordedStyle, Kind::recordedExStyle) {}
    ~basic_window() override { destroy(); }

    // Creates the system window bound to this object. Throws uiexception.
    platform::WindowHandle create() { return Kind::create(static_cast<message_target*>(this)); }

    // Forgets the child controls and destroys the system window, if there is one.
    void destroy() {
        if (hwnd == nullptr)
            return;
        children_.clear();
        platform::desktop().destroyWindow(hwnd);
        hwnd = nullptr;
    }

    void registerChild(int identifier, std::shared_ptr<child_control> child) {
        children_[identifier] = std::move(child);
    }

private:
    void bind(platform::WindowHandle window) override {
        hwnd = window;
        for (auto& [identifier, child] : children_)
            child->attach(window, identifier);
    }

    void unbind() override {
        for (auto& entry : children_)
            entry.second->detach();
        hwnd = nullptr;
    }

    child_control* findChild(int identifier) override {
        auto found = children_.find(identifier);
        return found == children_.end() ? nullptr : found->second.get();
    }

    bool paint(platform::WindowHandle window) override { return Renderer::paint(window); }

    bool dispatch(std::uint32_t message, evtarg& argument) override {
        return Events::dispatch(message, argument);
    }

    std::map<int, std::shared_ptr<child_control>> children_;
};

} // namespace winui
