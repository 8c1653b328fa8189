// The headless desktop's side that tests drive: injected input, layout and read-back.
#include "platform/headless/HeadlessDesktop.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace platform::headless {

namespace {

struct ButtonMessages {
    std::uint32_t flag;
    std::uint32_t down;
    std::uint32_t up;
    std::uint32_t doubleClick;
};

ButtonMessages messagesOf(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return {MK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    case MouseButton::Middle:
        return {MK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
    case MouseButton::Right:
        break;
    }
    return {MK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
}

} // namespace

// Mouse

WindowHandle HeadlessDesktop::mouseTargetLocked() const {
    if (capture_ != nullptr)
        return capture_;
    WindowHandle under = table_.windowAt(cursor_);
    const HeadlessWindow* record = table_.find(under);
    return record != nullptr && record->enabled ? under : nullptr;
}

void HeadlessDesktop::refreshHoverLocked() {
    WindowHandle under = capture_ != nullptr ? capture_ : table_.windowAt(cursor_);
    if (under == hover_)
        return;
    if (HeadlessWindow* left = table_.find(hover_); left != nullptr && left->trackingLeave) {
        left->trackingLeave = false;
        postLocked(hover_, WM_MOUSELEAVE, 0, 0);
    }
    hover_ = under;
}

void HeadlessDesktop::postMouseLocked(std::uint32_t message, std::uint32_t buttons) {
    WindowHandle target = mouseTargetLocked();
    const HeadlessWindow* record = table_.find(target);
    if (record == nullptr)
        return;
    postLocked(target, message, buttons | keys_,
               makeLParam(cursor_.x - record->bounds.left, cursor_.y - record->bounds.top));
}

void HeadlessDesktop::trackMouseLeave(WindowHandle window) {
    Lock lock(mutex_);
    HeadlessWindow* record = findLocked(window);
    if (record == nullptr)
        return;
    if (hover_ == window)
        record->trackingLeave = true;
    else
        postLocked(window, WM_MOUSELEAVE, 0, 0); // the mouse has already left
}

void HeadlessDesktop::setCapture(WindowHandle window) {
    Lock lock(mutex_);
    if (findLocked(window) != nullptr) {
        capture_ = window;
        refreshHoverLocked();
    }
}

void HeadlessDesktop::releaseCapture() {
    WindowHandle released = nullptr;
    {
        Lock lock(mutex_);
        released = std::exchange(capture_, nullptr);
        refreshHoverLocked();
    }
    if (released != nullptr)
        sendMessage(released, WM_CAPTURECHANGED, 0, 0);
}

void HeadlessDesktop::moveMouse(Point to) {
    Lock lock(mutex_);
    cursor_ = to;
    refreshHoverLocked();
    postMouseLocked(WM_MOUSEMOVE, buttons_);
}

void HeadlessDesktop::pressLocked(MouseButton button, bool doubleClick) {
    ButtonMessages messages = messagesOf(button);
    buttons_ |= messages.flag;
    const HeadlessWindow* target = table_.find(mouseTargetLocked());
    bool double_ = doubleClick && target != nullptr && (target->classStyle & CS_DBLCLKS) != 0;
    postMouseLocked(double_ ? messages.doubleClick : messages.down, buttons_);
}

void HeadlessDesktop::releaseLocked(MouseButton button) {
    ButtonMessages messages = messagesOf(button);
    buttons_ &= ~messages.flag;
    postMouseLocked(messages.up, buttons_);
}

void HeadlessDesktop::pressButton(MouseButton button) {
    Lock lock(mutex_);
    pressLocked(button, false);
}

void HeadlessDesktop::releaseButton(MouseButton button) {
    Lock lock(mutex_);
    releaseLocked(button);
}

void HeadlessDesktop::doubleClick(MouseButton button) {
    Lock lock(mutex_);
    pressLocked(button, false);
    releaseLocked(button);
    pressLocked(button, true); // windows without CS_DBLCLKS see a second press
    releaseLocked(button);
}

void HeadlessDesktop::setModifierKeys(std::uint32_t keys) {
    Lock lock(mutex_);
    keys_ = keys & (MK_SHIFT | MK_CONTROL);
}

// Notification area and menus

void HeadlessDesktop::postTrayEvent(std::uint32_t identifier,
                                    std::initializer_list<std::uint32_t> events) {
    Lock lock(mutex_);
    const TrayIconState* icon = tray_.find(identifier);
    if (icon == nullptr)
        throw std::invalid_argument("no tray icon " + std::to_string(identifier));
    cursor_ = icon->anchor;
    refreshHoverLocked();
    for (std::uint32_t event : events)
        postLocked(icon->owner, icon->callbackMessage, makeWParam(icon->anchor.x, icon->anchor.y),
                   makeLParam(static_cast<int>(event), static_cast<int>(identifier)));
}

void HeadlessDesktop::hoverTrayIcon(std::uint32_t identifier) {
    postTrayEvent(identifier, {NIN_POPUPOPEN});
}

void HeadlessDesktop::leaveTrayIcon(std::uint32_t identifier) {
    postTrayEvent(identifier, {NIN_POPUPCLOSE});
}

void HeadlessDesktop::clickTrayIcon(std::uint32_t identifier) {
    postTrayEvent(identifier, {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT});
}

void HeadlessDesktop::openTrayContextMenu(std::uint32_t identifier) {
    postTrayEvent(identifier, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU});
}

void HeadlessDesktop::chooseMenuItem(std::uint32_t command) {
    Lock lock(mutex_);
    if (!menuRequest_)
        throw std::logic_error("no menu is open");
    const std::vector<MenuItem>& items = menuRequest_->items;
    if (std::none_of(items.begin(), items.end(),
                     [&](const MenuItem& item) { return item.command == command; }))
        throw std::logic_error("the open menu has no command " + std::to_string(command));
    postLocked(menuRequest_->owner, WM_COMMAND, makeWParam(static_cast<int>(command), 0), 0);
    menuRequest_.reset();
}

void HeadlessDesktop::dismissMenu() {
    Lock lock(mutex_);
    menuRequest_.reset();
}

// Layout and failures

void HeadlessDesktop::setCursor(Point to) {
    Lock lock(mutex_);
    cursor_ = to;
    refreshHoverLocked();
}

void HeadlessDesktop::setMonitors(std::vector<Rect> monitors) {
    Lock lock(mutex_);
    monitors_ = std::move(monitors);
}

void HeadlessDesktop::setTaskbar(std::optional<Taskbar> taskbar) {
    Lock lock(mutex_);
    taskbar_ = taskbar;
}

void HeadlessDesktop::failNextRegistration(std::uint32_t error) {
    Lock lock(mutex_);
    failRegistration_ = error;
}

void HeadlessDesktop::failNextCreation(std::uint32_t error) {
    Lock lock(mutex_);
    failCreation_ = error;
}

// Read-back

std::vector<WindowHandle> HeadlessDesktop::windows() const {
    Lock lock(mutex_);
    return table_.handles();
}

gui::Bitmap<gui::Pixel> HeadlessDesktop::presentedPixels(WindowHandle window) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    return record != nullptr ? record->presented : gui::Bitmap<gui::Pixel>(0, 0, gui::Pixel{});
}

std::vector<TrayIconState> HeadlessDesktop::trayIcons() const {
    Lock lock(mutex_);
    return tray_.icons();
}

std::optional<TrayIconState> HeadlessDesktop::trayIcon(std::uint32_t identifier) const {
    Lock lock(mutex_);
    const TrayIconState* icon = tray_.find(identifier);
    return icon != nullptr ? std::optional<TrayIconState>(*icon) : std::nullopt;
}

std::optional<MenuRequest> HeadlessDesktop::menuRequest() const {
    Lock lock(mutex_);
    return menuRequest_;
}

WindowHandle HeadlessDesktop::captureWindow() const {
    Lock lock(mutex_);
    return capture_;
}

WindowHandle HeadlessDesktop::foregroundWindow() const {
    Lock lock(mutex_);
    return foreground_;
}

unsigned HeadlessDesktop::defaultTreatments(WindowHandle window, std::uint32_t message) const {
    Lock lock(mutex_);
    auto found = defaults_.find({window, message});
    return found == defaults_.end() ? 0 : found->second;
}

} // namespace platform::headless
