#include "platform/software/SoftwareDesktop.h"

#include "platform/software/WindowGeometry.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace platform::software {

namespace {

// Like the system's, the last error belongs to the thread that made the failing call.
thread_local std::uint32_t lastErrorCode = 0;

struct ButtonMessages {
    std::uint32_t press;
    std::uint32_t release;
    std::uint32_t doubleClick;
};

ButtonMessages messagesOf(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    case MouseButton::Middle:
        return {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
    case MouseButton::Right:
        break;
    }
    return {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
}

} // namespace

std::uint32_t buttonFlag(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return MK_LBUTTON;
    case MouseButton::Middle:
        return MK_MBUTTON;
    case MouseButton::Right:
        break;
    }
    return MK_RBUTTON;
}

void SoftwareDesktop::setLastError(std::uint32_t error) {
    lastErrorCode = error;
}

std::uint32_t SoftwareDesktop::lastError() const {
    return lastErrorCode;
}

// Message loop

bool SoftwareDesktop::nextMessageLocked(Message& message) {
    if (!queue_.empty()) {
        message = queue_.front();
        queue_.pop_front();
    } else if (quitting_) {
        quitting_ = false;
        message = {nullptr, WM_QUIT, static_cast<WParam>(exitCode_), 0};
    } else if (WindowHandle window = table_.firstInvalid()) {
        message = {window, WM_PAINT, 0, 0};
    } else {
        return dueTimerLocked(message);
    }
    return true;
}

// A timer comes last, as on Windows, and at most once however long it was overdue.
bool SoftwareDesktop::dueTimerLocked(Message& message) {
    const Clock::time_point now = Clock::now();
    for (Timer& timer : timers_)
        if (timer.due <= now) {
            timer.due = now + timer.period;
            message = {timer.window, WM_TIMER, timer.identifier, 0};
            return true;
        }
    return false;
}

std::optional<SoftwareDesktop::Clock::time_point> SoftwareDesktop::nextTimerLocked() const {
    std::optional<Clock::time_point> next;
    for (const Timer& timer : timers_)
        if (!next || timer.due < *next)
            next = timer.due;
    return next;
}

void SoftwareDesktop::setTimer(WindowHandle window, std::uintptr_t identifier,
                               std::uint32_t milliseconds) {
    Lock held = lock();
    if (findLocked(window) == nullptr)
        return;
    const auto period = std::chrono::milliseconds(std::max<std::uint32_t>(milliseconds, 1));
    std::erase_if(timers_, [&](const Timer& timer) {
        return timer.window == window && timer.identifier == identifier;
    });
    timers_.push_back({window, identifier, period, Clock::now() + period});
    wakeLocked(); // a loop asleep without a deadline learns of this one
}

void SoftwareDesktop::killTimer(WindowHandle window, std::uintptr_t identifier) {
    Lock held = lock();
    std::erase_if(timers_, [&](const Timer& timer) {
        return timer.window == window && timer.identifier == identifier;
    });
}

bool SoftwareDesktop::getMessage(Message& message) {
    for (;;) {
        collectInput();
        Lock held = lock();
        if (nextMessageLocked(message))
            return message.message != WM_QUIT;
        waitForInputLocked(held);
    }
}

LResult SoftwareDesktop::dispatchMessage(const Message& message) {
    WindowProcedure procedure = procedureFor(message.window);
    if (procedure == nullptr)
        return 0; // the window is gone, or a thread message
    LResult result = procedure(message.window, message.message, message.wParam, message.lParam);
    if (message.message == WM_PAINT) {
        // A procedure that never began painting must not be asked again and again.
        Lock held = lock();
        if (SoftwareWindow* window = table_.find(message.window))
            window->invalid = false;
    }
    return result;
}

void SoftwareDesktop::postLocked(WindowHandle window, std::uint32_t message, WParam wParam,
                                 LParam lParam) {
    queue_.push_back({window, message, wParam, lParam});
    wakeLocked();
}

bool SoftwareDesktop::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                  LParam lParam) {
    Lock held = lock();
    if (window != nullptr && table_.find(window) == nullptr)
        return fail(ERROR_INVALID_WINDOW_HANDLE, false);
    postLocked(window, message, wParam, lParam);
    return true;
}

LResult SoftwareDesktop::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                     LParam lParam) {
    WindowProcedure procedure = procedureFor(window);
    if (procedure == nullptr)
        return fail<LResult>(ERROR_INVALID_WINDOW_HANDLE, 0);
    return procedure(window, message, wParam, lParam);
}

void SoftwareDesktop::postQuitMessage(int exitCode) {
    Lock held = lock();
    quitting_ = true;
    exitCode_ = exitCode;
    wakeLocked();
}

WindowProcedure SoftwareDesktop::procedureFor(WindowHandle window) {
    Lock held = lock();
    const SoftwareWindow* record = table_.find(window);
    if (record == nullptr)
        return nullptr;
    checkThread(*record);
    return record->procedure;
}

void SoftwareDesktop::checkThread(const SoftwareWindow& window) {
    if (window.thread != std::this_thread::get_id())
        throw std::logic_error("a window's messages run on the thread that created it");
}

// Windows

bool SoftwareDesktop::registerClass(const WindowClass& windowClass) {
    Lock held = lock();
    if (windowClass.procedure == nullptr || windowClass.name.empty())
        return fail(ERROR_INVALID_PARAMETER, false);
    if (!table_.registerClass(windowClass))
        return fail(ERROR_CLASS_ALREADY_EXISTS, false);
    return true;
}

WindowHandle SoftwareDesktop::createWindow(const WindowCreation& creation) {
    WindowHandle handle = nullptr;
    {
        Lock held = lock();
        const WindowClass* windowClass = table_.findClass(creation.className);
        if (windowClass == nullptr)
            return fail<WindowHandle>(ERROR_CANNOT_FIND_WND_CLASS, nullptr);
        SoftwareWindow window;
        window.procedure = windowClass->procedure;
        window.classStyle = windowClass->style;
        window.style = creation.style;
        window.extendedStyle = creation.extendedStyle;
        window.messageOnly = creation.messageOnly;
        window.identifier = creation.identifier;
        window.thread = std::this_thread::get_id();
        window.topmost = (creation.extendedStyle & WS_EX_TOPMOST) != 0;
        window.bounds = creation.messageOnly ? Rect{} : creationBounds(creation);
        handle = table_.add(std::move(window));
        createNativeLocked(handle, *table_.find(handle), creation);
    }
    // As on the desktop, a window that refuses its creation is destroyed again.
    if (sendMessage(handle, WM_CREATE, 0, 0) == -1) {
        destroyWindow(handle);
        return fail<WindowHandle>(ERROR_INVALID_PARAMETER, nullptr);
    }
    return handle;
}

bool SoftwareDesktop::destroyWindow(WindowHandle window) {
    {
        Lock held = lock();
        SoftwareWindow* record = table_.find(window);
        if (record == nullptr)
            return fail(ERROR_INVALID_WINDOW_HANDLE, false);
        checkThread(*record);
        if (std::exchange(record->destroying, true))
            return true;
        record->visible = false;
    }
    sendMessage(window, WM_DESTROY, 0, 0);
    Lock held = lock();
    if (capture_ == window) {
        releaseNativeCaptureLocked();
        capture_ = nullptr;
    }
    destroyNativeLocked(window, *table_.find(window));
    table_.remove(window);
    std::erase_if(timers_, [window](const Timer& timer) { return timer.window == window; });
    windowsChangedLocked();
    return true;
}

LResult SoftwareDesktop::defaultProcedure(WindowHandle window, std::uint32_t message, WParam,
                                          LParam) {
    switch (message) {
    case WM_CLOSE:
        destroyWindow(window);
        return 0;
    case WM_PAINT:
        beginPaint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return 0;
    }
}

SoftwareWindow* SoftwareDesktop::findLocked(WindowHandle window) const {
    auto* record = const_cast<WindowTable&>(table_).find(window);
    if (record == nullptr)
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record;
}

void SoftwareDesktop::setUserData(WindowHandle window, LParam data) {
    Lock held = lock();
    if (SoftwareWindow* record = findLocked(window))
        record->userData = data;
}

LParam SoftwareDesktop::userData(WindowHandle window) const {
    Lock held = lock();
    const SoftwareWindow* record = findLocked(window);
    return record != nullptr ? record->userData : 0;
}

int SoftwareDesktop::controlIdentifier(WindowHandle window) const {
    Lock held = lock();
    const SoftwareWindow* record = findLocked(window);
    return record != nullptr ? record->identifier : 0;
}

WindowHandle SoftwareDesktop::parent(WindowHandle) const {
    return nullptr; // every window here is top-level
}

Point SoftwareDesktop::screenToClient(WindowHandle window, Point point) const {
    Lock held = lock();
    const SoftwareWindow* record = findLocked(window);
    if (record == nullptr)
        return point;
    return {point.x - record->bounds.left, point.y - record->bounds.top};
}

void SoftwareDesktop::showWindow(WindowHandle window, bool visible) {
    {
        Lock held = lock();
        SoftwareWindow* record = findLocked(window);
        if (record == nullptr || record->messageOnly || record->visible == visible)
            return;
        record->visible = visible;
        if (visible) {
            table_.raise(window);
            record->invalid = true;
            wakeLocked();
        }
        showNativeLocked(window, *record);
        windowsChangedLocked();
    }
    sendMessage(window, WM_SHOWWINDOW, visible ? 1 : 0, 0);
}

bool SoftwareDesktop::isVisible(WindowHandle window) const {
    Lock held = lock();
    const SoftwareWindow* record = findLocked(window);
    return record != nullptr && record->visible;
}

void SoftwareDesktop::setTopmost(WindowHandle window) {
    Lock held = lock();
    if (SoftwareWindow* record = findLocked(window)) {
        record->topmost = true;
        table_.raise(window);
        raiseNativeLocked(window, *record);
        windowsChangedLocked();
    }
}

void SoftwareDesktop::moveWindow(WindowHandle window, const Rect& bounds, bool repaint) {
    Rect normal = normalised(bounds);
    Rect old;
    {
        Lock held = lock();
        SoftwareWindow* record = findLocked(window);
        if (record == nullptr || record->messageOnly)
            return;
        old = std::exchange(record->bounds, normal);
        moveNativeLocked(window, *record);
        if (repaint) {
            record->invalid = true;
            wakeLocked();
        }
        windowsChangedLocked();
    }
    sendGeometryChanges(*this, window, old, normal);
}

Rect SoftwareDesktop::windowRect(WindowHandle window) const {
    Lock held = lock();
    const SoftwareWindow* record = findLocked(window);
    return record != nullptr ? record->bounds : Rect{};
}

Rect SoftwareDesktop::clientRect(WindowHandle window) const {
    Lock held = lock();
    const SoftwareWindow* record = findLocked(window);
    return record != nullptr ? Rect{0, 0, record->bounds.width(), record->bounds.height()} : Rect{};
}

void SoftwareDesktop::describeWindow(WindowHandle window, const WindowDescription& description) {
    Lock held = lock();
    SoftwareWindow* record = findLocked(window);
    if (record == nullptr || record->description == description)
        return;
    record->description = description;
    describeNativeLocked(window, *record);
}

// Painting

void SoftwareDesktop::invalidate(WindowHandle window) {
    Lock held = lock();
    if (SoftwareWindow* record = findLocked(window)) {
        record->invalid = true;
        wakeLocked();
    }
}

void SoftwareDesktop::update(WindowHandle window) {
    {
        Lock held = lock();
        SoftwareWindow* record = findLocked(window);
        if (record == nullptr || !record->visible || !record->invalid)
            return;
    }
    dispatchMessage({window, WM_PAINT, 0, 0});
}

void SoftwareDesktop::redraw(WindowHandle window) {
    {
        Lock held = lock();
        SoftwareWindow* record = findLocked(window);
        if (record == nullptr)
            return;
        record->invalid = true;
        if (record->thread != std::this_thread::get_id()) {
            wakeLocked(); // the window's own loop paints it; nobody waits for that here
            return;
        }
    }
    update(window);
}

void SoftwareDesktop::beginPaint(WindowHandle window) {
    Lock held = lock();
    if (SoftwareWindow* record = findLocked(window))
        record->invalid = false;
}

void SoftwareDesktop::endPaint(WindowHandle) {}

// Mouse

void SoftwareDesktop::setCapture(WindowHandle window) {
    Lock held = lock();
    if (SoftwareWindow* record = findLocked(window)) {
        capture_ = window;
        captureNativeLocked(window, *record);
        windowsChangedLocked();
    }
}

void SoftwareDesktop::releaseCapture() {
    WindowHandle released = nullptr;
    {
        Lock held = lock();
        released = std::exchange(capture_, nullptr);
        if (released != nullptr)
            releaseNativeCaptureLocked();
        windowsChangedLocked();
    }
    if (released != nullptr)
        sendMessage(released, WM_CAPTURECHANGED, 0, 0);
}

void SoftwareDesktop::trackMouseLeave(WindowHandle window) {
    Lock held = lock();
    SoftwareWindow* record = findLocked(window);
    if (record == nullptr)
        return;
    if (pointerOverLocked(window))
        record->trackingLeave = true;
    else
        postLocked(window, WM_MOUSELEAVE, 0, 0); // the mouse has already left
}

void SoftwareDesktop::postButtonLocked(WindowHandle window, MouseButton button, ButtonAction action,
                                       std::uint32_t keys, Point at) {
    const SoftwareWindow* record = table_.find(window);
    if (record == nullptr)
        return;
    ButtonMessages messages = messagesOf(button);
    std::uint32_t message = action == ButtonAction::Release ? messages.release : messages.press;
    // Only classes that ask for double clicks get them; the others see a second press.
    if (action == ButtonAction::DoubleClick && (record->classStyle & CS_DBLCLKS) != 0)
        message = messages.doubleClick;
    postLocked(window, message, keys, makeLParam(at.x, at.y));
}

void SoftwareDesktop::postMouseLeaveLocked(WindowHandle window) {
    SoftwareWindow* record = table_.find(window);
    if (record != nullptr && record->trackingLeave) {
        record->trackingLeave = false;
        postLocked(window, WM_MOUSELEAVE, 0, 0);
    }
}

// Menus and resources

MenuHandle SoftwareDesktop::loadMenu(int resource) {
    Lock held = lock();
    if (findMenuResource(resource) == nullptr)
        return fail<MenuHandle>(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
    std::uintptr_t id = nextMenu_;
    nextMenu_ += 4;
    menus_.emplace(id, LoadedMenu{resource, {}});
    return reinterpret_cast<MenuHandle>(id);
}

void SoftwareDesktop::destroyMenu(MenuHandle menu) {
    Lock held = lock();
    menus_.erase(reinterpret_cast<std::uintptr_t>(menu));
}

// The owner sets its check marks first, as the system lets a window do before its menu shows.
void SoftwareDesktop::trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner, std::uint32_t) {
    {
        Lock held = lock();
        if (!shownMenuLocked(menu, owner))
            return;
    }
    sendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WParam>(menu), 0);
    std::optional<MenuResource> shown;
    {
        Lock held = lock();
        shown = shownMenuLocked(menu, owner);
    }
    if (shown)
        openMenu(*shown, at, owner);
}

void SoftwareDesktop::setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) {
    Lock held = lock();
    auto found = menus_.find(reinterpret_cast<std::uintptr_t>(menu));
    if (found == menus_.end())
        return;
    if (checked)
        found->second.checked.insert(command);
    else
        found->second.checked.erase(command);
}

// The menu's items with their check marks; none when the menu or its owner is gone.
std::optional<MenuResource> SoftwareDesktop::shownMenuLocked(MenuHandle menu,
                                                             WindowHandle owner) const {
    auto found = menus_.find(reinterpret_cast<std::uintptr_t>(menu));
    if (found == menus_.end() || findLocked(owner) == nullptr)
        return std::nullopt;
    MenuResource shown = *findMenuResource(found->second.resource);
    for (MenuItem& item : shown.items)
        item.checked =
            item.kind == MenuItemKind::Check && found->second.checked.contains(item.command);
    return shown;
}

std::optional<gui::Bitmap<gui::Pixel>> SoftwareDesktop::loadIcon(int resource, int size) {
    std::optional<gui::Bitmap<gui::Pixel>> icon = builtInIcon(resource, size);
    if (!icon)
        setLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return icon;
}

// Scaling

int SoftwareDesktop::monitorDpi(Point) const {
    Lock held = lock();
    return dpi_;
}

void SoftwareDesktop::changeDpi(int dpi) {
    if (dpi <= 0)
        return;
    std::vector<std::pair<WindowHandle, Rect>> suggested;
    {
        Lock held = lock();
        int old = std::exchange(dpi_, dpi);
        if (old == dpi)
            return;
        auto rescaled = [&](std::int32_t length) {
            return static_cast<std::int32_t>((static_cast<std::int64_t>(length) * dpi + old / 2) /
                                             old);
        };
        for (WindowHandle handle : table_.handles())
            if (const SoftwareWindow* record = table_.find(handle); !record->messageOnly) {
                const Rect& r = record->bounds;
                suggested.emplace_back(handle, Rect{r.left, r.top, r.left + rescaled(r.width()),
                                                    r.top + rescaled(r.height())});
            }
    }
    WParam both = makeWParam(dpi, dpi);
    for (const auto& [window, rect] : suggested)
        sendMessage(window, WM_DPICHANGED, both, reinterpret_cast<LParam>(&rect));
}

} // namespace platform::software
