// The headless desktop's side that tests drive: injected input, layout and read-back.
#include "platform/headless/HeadlessDesktop.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace platform::headless {

// Mouse

WindowHandle HeadlessDesktop::mouseTargetLocked() const {
    if (WindowHandle captured = captureLocked())
        return captured;
    return windowsLocked().windowAt(cursor_);
}

void HeadlessDesktop::windowsChangedLocked() {
    WindowHandle captured = captureLocked();
    WindowHandle under = captured != nullptr ? captured : windowsLocked().windowAt(cursor_);
    if (under == hover_)
        return;
    postMouseLeaveLocked(hover_);
    hover_ = under;
}

bool HeadlessDesktop::pointerOverLocked(WindowHandle window) const {
    return hover_ == window;
}

// The cursor relative to the window the mouse input goes to, or none.
std::optional<std::pair<WindowHandle, Point>> HeadlessDesktop::mouseInputLocked() const {
    WindowHandle target = mouseTargetLocked();
    const software::SoftwareWindow* record = windowsLocked().find(target);
    if (record == nullptr)
        return std::nullopt;
    return std::pair{target,
                     Point{cursor_.x - record->bounds.left, cursor_.y - record->bounds.top}};
}

void HeadlessDesktop::moveMouse(Point to) {
    Lock held = lock();
    cursor_ = to;
    windowsChangedLocked();
    if (auto input = mouseInputLocked())
        postLocked(input->first, WM_MOUSEMOVE, buttons_ | keys_,
                   makeLParam(input->second.x, input->second.y));
}

void HeadlessDesktop::pressLocked(MouseButton button, software::ButtonAction action) {
    buttons_ |= software::buttonFlag(button);
    if (auto input = mouseInputLocked())
        postButtonLocked(input->first, button, action, buttons_ | keys_, input->second);
}

void HeadlessDesktop::releaseLocked(MouseButton button) {
    buttons_ &= ~software::buttonFlag(button);
    if (auto input = mouseInputLocked())
        postButtonLocked(input->first, button, software::ButtonAction::Release, buttons_ | keys_,
                         input->second);
}

void HeadlessDesktop::pressButton(MouseButton button) {
    Lock held = lock();
    pressLocked(button, software::ButtonAction::Press);
}

void HeadlessDesktop::releaseButton(MouseButton button) {
    Lock held = lock();
    releaseLocked(button);
}

void HeadlessDesktop::doubleClick(MouseButton button) {
    Lock held = lock();
    pressLocked(button, software::ButtonAction::Press);
    releaseLocked(button);
    pressLocked(button, software::ButtonAction::DoubleClick);
    releaseLocked(button);
}

void HeadlessDesktop::setModifierKeys(std::uint32_t keys) {
    Lock held = lock();
    keys_ = keys & (MK_SHIFT | MK_CONTROL);
}

// Notification area and menus

void HeadlessDesktop::postTrayEvent(std::uint32_t identifier,
                                    std::initializer_list<std::uint32_t> events, bool pointer) {
    Lock held = lock();
    const TrayIconState* icon = tray_.find(identifier);
    if (icon == nullptr)
        throw std::invalid_argument("no tray icon " + std::to_string(identifier));
    if (pointer) {
        cursor_ = icon->anchor;
        windowsChangedLocked();
    }
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

void HeadlessDesktop::changeFile(const std::filesystem::path& file) {
    Lock held = lock();
    for (const auto& [id, watch] : watches_)
        if (watch.file == file)
            postLocked(watch.owner, watch.message, 0, 0);
}

void HeadlessDesktop::pressTrayMenuKey(std::uint32_t identifier) {
    postTrayEvent(identifier, {WM_CONTEXTMENU}, false);
}

void HeadlessDesktop::chooseMenuItem(std::uint32_t command) {
    Lock held = lock();
    if (!menuRequest_)
        throw std::logic_error("no menu is open");
    const std::vector<MenuItem>& items = menuRequest_->items;
    if (std::none_of(items.begin(), items.end(),
                     [&](const MenuItem& item) { return item.command == command; }))
        throw std::logic_error("the open menu has no command " + std::to_string(command));
    postLocked(menuRequest_->owner, WM_COMMAND, makeWParam(static_cast<int>(command), 0), 0);
    menuRequest_.reset();
}

// Layout and failures

void HeadlessDesktop::setMonitors(std::vector<Rect> monitors) {
    Lock held = lock();
    monitors_ = std::move(monitors);
}

void HeadlessDesktop::setTaskbar(std::optional<Taskbar> taskbar) {
    Lock held = lock();
    taskbar_ = taskbar;
}

void HeadlessDesktop::setWorkAreas(std::vector<Rect> areas) {
    Lock held = lock();
    workAreas_ = std::move(areas);
}

void HeadlessDesktop::moveTrayIcon(std::uint32_t identifier, Point anchor) {
    Lock held = lock();
    if (!tray_.move(identifier, anchor))
        throw std::invalid_argument("no tray icon " + std::to_string(identifier));
}

void HeadlessDesktop::failNextRegistration(std::uint32_t error) {
    Lock held = lock();
    failRegistration_ = error;
}

void HeadlessDesktop::failNextCreation(std::uint32_t error) {
    Lock held = lock();
    failCreation_ = error;
}

void HeadlessDesktop::failNextEditor(std::string reason) {
    Lock held = lock();
    editorFailure_ = std::move(reason);
}

// Read-back

std::vector<WindowHandle> HeadlessDesktop::windows() const {
    Lock held = lock();
    return windowsLocked().handles();
}

gui::Bitmap<gui::Pixel> HeadlessDesktop::presentedPixels(WindowHandle window) const {
    Lock held = lock();
    auto found = presented_.find(window);
    if (findLocked(window) == nullptr || found == presented_.end())
        return gui::Bitmap<gui::Pixel>(0, 0, gui::Pixel{});
    return found->second;
}

WindowDescription HeadlessDesktop::description(WindowHandle window) const {
    Lock held = lock();
    const software::SoftwareWindow* record = findLocked(window);
    return record != nullptr ? record->description : WindowDescription{};
}

std::vector<TrayIconState> HeadlessDesktop::trayIcons() const {
    Lock held = lock();
    return tray_.icons();
}

std::optional<TrayIconState> HeadlessDesktop::trayIcon(std::uint32_t identifier) const {
    Lock held = lock();
    const TrayIconState* icon = tray_.find(identifier);
    return icon != nullptr ? std::optional<TrayIconState>(*icon) : std::nullopt;
}

std::optional<MenuRequest> HeadlessDesktop::menuRequest() const {
    Lock held = lock();
    return menuRequest_;
}

WindowHandle HeadlessDesktop::captureWindow() const {
    Lock held = lock();
    return captureLocked();
}

unsigned HeadlessDesktop::defaultTreatments(WindowHandle window, std::uint32_t message) const {
    Lock held = lock();
    auto found = defaults_.find({window, message});
    return found == defaults_.end() ? 0 : found->second;
}

} // namespace platform::headless
