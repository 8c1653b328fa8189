#pragma once

#include "gui/Renderer.h"
#include "gui/controls/ClientArea.h"
#include "winui/basic_window.h"
#include "winui/dynevent.h"
#include "winui/sdiwindow.h"

#include <functional>

// A top-level pop-up window that is also the root control of its control tree: it turns the
// window's size and mouse messages into calls on the tree, and remembers which control is under
// the mouse and which control holds each button.
class Window : public winui::basic_window<winui::sdiwindow, winui::dynevent, gui::Renderer>,
               public gui::IWindow,
               public gui::ClientArea {
public:
    Window() = default;
    // Destroys the system window while the whole object still stands.
    ~Window() override;

    using gui::ClientArea::invalidate;
    using winui::window::invalidate;

    // Gives the hovered control its leave first, forgets held buttons, then hides.
    void hide() override;
    // Registers the message handlers and the root control; the system window must exist.
    virtual void initialise();
    // Sizes the root control to the client area.

    std::shared_ptr<gui::Control> leftPressedControl() override { return pressed_[0]; }

    std::function<void(int width, int height)> resized;

private:
    using Handler = void (Window::*)(winui::evtarg&);
    void on(std::uint32_t message, Handler handler);
    void on(std::uint32_t message, void (Window::*handler)(winui::evtarg&, int), int button);
    // The deepest shown control under a client point; null outside the window.
    std::shared_ptr<gui::Control> hitTest(std::int32_t x, std::int32_t y);
    void changeHover(const std::shared_ptr<gui::Control>& target);
    void redrawIfAsked(const gui::MouseClickArgs& args);

    void handleSize(winui::evtarg& message);
    void handleMouseMove(winui::evtarg& message);
    void handleDoubleClick(winui::evtarg& message, int button);
    void handleButtonDown(winui::evtarg& message, int button);
    void handleButtonUp(winui::evtarg& message, int button);
    void handleMouseLeave(winui::evtarg& message);

    gui::OwnerWindow ownerRecord_;
    std::shared_ptr<gui::Control> pressed_[3]; // left, middle, right
    std::shared_ptr<gui::Control> hovered_;
};
