#include "gui/Window.h"

#include "platform/Desktop.h"

namespace {

constexpr int moveButton = 3;

} // namespace

Window::~Window() {
    destroy();
}

void Window::on(std::uint32_t message, Handler handler) {
    setHandler(
        message,
        [this, handler](winui::evtarg& argument) {
            std::lock_guard lock(treeMutex());
            (this->*handler)(argument);
        });
}

void Window::on(std::uint32_t message, void (Window::*handler)(winui::evtarg&, int), int button) {
    setHandler(
        message,
        [this, handler, button](winui::evtarg& argument) {
            std::lock_guard lock(treeMutex());
            (this->*handler)(argument, button);
        });
}

void Window::initialise() {
    on(WM_SIZE, &Window::handleSize);
    on(WM_MOUSEMOVE, &Window::handleMouseMove);
    on(WM_LBUTTONDBLCLK, &Window::handleDoubleClick, 0);
    on(WM_MBUTTONDBLCLK, &Window::handleDoubleClick, 1);
    on(WM_RBUTTONDBLCLK, &Window::handleDoubleClick, 2);
    on(WM_LBUTTONDOWN, &Window::handleButtonDown, 0);
    on(WM_MBUTTONDOWN, &Window::handleButtonDown, 1);
    on(WM_RBUTTONDOWN, &Window::handleButtonDown, 2);
    on(WM_LBUTTONUP, &Window::handleButtonUp, 0);
    on(WM_MBUTTONUP, &Window::handleButtonUp, 1);
    on(WM_RBUTTONUP, &Window::handleButtonUp, 2);
    on(WM_MOUSELEAVE, &Window::handleMouseLeave);
    std::lock_guard lock(treeMutex());
    ownerRecord_ = {hwnd, this};
    setOwnerWindow(&ownerRecord_);
    registerRenderable(shared_from_this());
}

void Window::hide() {
    {
        std::lock_guard lock(treeMutex());
        if (hovered_) {
            gui::MouseTrackingArgs args{hwnd};
            hovered_->onMouseLeave(args);
        }
        for (auto& pressed : pressed_)
            pressed.reset();
    }
    winui::window::hide();
}

std::shared_ptr<gui::Control> Window::hitTest(std::int32_t x, std::int32_t y) {
    if (!getBounds().contains(x, y))
        return nullptr;
    std::shared_ptr<gui::Control> found = shared_from_this();
    while (std::shared_ptr<gui::Control> child = found->childAt(x, y)) {
        x -= child->getBounds().x;
        y -= child->getBounds().y;
        found = child;
    }
    return found;
}

void Window::changeHover(const std::shared_ptr<gui::Control>& target) {
    gui::MouseTrackingArgs args{hwnd};
    const std::shared_ptr<gui::Control>& held = pressed_[0];
    if (!held) {
        if (hovered_)
            hovered_->onMouseLeave(args);
        if (target)
            target->onMouseEnter(args);
    } else if (held == hovered_) {
        held->onMouseLeave(args); // a held control alone hears the mouse come and go
    } else if (held == target) {
        held->onMouseEnter(args);
    }
}

void Window::redrawIfAsked(const gui::MouseClickArgs& args) {
    if (args.handled)
        platform::desktop().redraw(hwnd);
}

void Window::handleSize(winui::evtarg& message) {
    auto size = static_cast<std::uintptr_t>(message.lParam);
    setBounds({0, 0, platform::lowWord(size), platform::highWord(size)});
    if (resized)
        resized(platform::lowWord(size), platform::highWord(size));
}

void Window::handleMouseMove(winui::evtarg& message) {
    gui::MouseClickArgs args = gui::MouseClickArgs::fromMessage(message, moveButton);
    std::shared_ptr<gui::Control> target = hitTest(args.x, args.y);
    if (target != hovered_)
        changeHover(target);
    hovered_ = target;
    const bool held[3] = {args.leftButton, args.middleButton, args.rightButton};
    for (int button = 0; button < 3; ++button)
        if (!held[button])
            pressed_[button].reset(); // its button-up was lost
    std::shared_ptr<gui::Control> receiver = pressed_[0] ? pressed_[0] : target;
    if (!receiver) {
        gui::ClientArea::onMouseMove(args.x, args.y);
    } else {
        gui::Point origin = receiver->getAbsolutePosition();
        receiver->onMouseMove(args.x - origin.x, args.y - origin.y);
    }
    platform::desktop().trackMouseLeave(hwnd);
}

void Window::handleDoubleClick(winui::evtarg& message, int button) {
    gui::MouseClickArgs args = gui::MouseClickArgs::fromMessage(message, button);
    gui::ClientArea::onDoubleClick(args);
    message.result = 0;
    message.handled = true;
}

void Window::handleButtonDown(winui::evtarg& message, int button) {
    gui::MouseClickArgs args = gui::MouseClickArgs::fromMessage(message, button);
    pressed_[button] = gui::ClientArea::onMouseDown(args);
    if (button != 0)
        return;
    redrawIfAsked(args);
    message.result = 0;
    message.handled = true;
    platform::desktop().setCapture(hwnd);
}

void Window::handleButtonUp(winui::evtarg& message, int button) {
    gui::MouseClickArgs args = gui::MouseClickArgs::fromMessage(message, button);
    std::shared_ptr<gui::Control> under = hitTest(args.x, args.y);
    gui::ClientArea::onMouseUp(args);
    std::shared_ptr<gui::Control> pressed = std::move(pressed_[button]);
    pressed_[button].reset();
    if (pressed && pressed == under && pressed->events.click)
        pressed->events.click(args);
    if (button != 0)
        return;
    platform::desktop().releaseCapture();
    redrawIfAsked(args);
}

void Window::handleMouseLeave(winui::evtarg&) {
    // hide() may have given the leave already; a control hears it once.
    if (hovered_ && hovered_->isHovered()) {
        gui::MouseTrackingArgs args{hwnd};
        hovered_->onMouseLeave(args);
    }
    hovered_.reset();
}
