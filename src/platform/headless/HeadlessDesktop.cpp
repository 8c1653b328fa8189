#include "platform/headless/HeadlessDesktop.h"

#include "platform/software/WindowGeometry.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace platform::headless {

namespace {

// Like the system's, the last error belongs to the thread that made the failing call.
thread_local std::uint32_t lastErrorCode = 0;

template <typename T>
T fail(std::uint32_t error, T result) {
    lastErrorCode = error;
    return result;
}

} // namespace

HeadlessDesktop::HeadlessDesktop()
    : monitors_{Rect{0, 0, 1920, 1080}}, taskbar_(Taskbar{Rect{0, 1040, 1920, 1080}, ABE_BOTTOM}) {}

// Message loop

bool HeadlessDesktop::nextMessage(Message& message) {
    if (!queue_.empty()) {
        message = queue_.front();
        queue_.pop_front();
    } else if (quitting_) {
        quitting_ = false;
        message = {nullptr, WM_QUIT, static_cast<WParam>(exitCode_), 0};
    } else if (WindowHandle window = table_.firstInvalid()) {
        message = {window, WM_PAINT, 0, 0};
    } else {
        return false;
    }
    return true;
}

bool HeadlessDesktop::getMessage(Message& message) {
    Lock lock(mutex_);
    wake_.wait(lock, [&] { return nextMessage(message); });
    return message.message != WM_QUIT;
}

bool HeadlessDesktop::pump() {
    for (;;) {
        Message message;
        {
            Lock lock(mutex_);
            if (queue_.empty() && quitting_)
                return false;
            if (!nextMessage(message))
                return true;
        }
        dispatchMessage(message);
    }
}

LResult HeadlessDesktop::dispatchMessage(const Message& message) {
    WindowProcedure procedure = procedureFor(message.window);
    if (procedure == nullptr)
        return 0; // the window is gone, or a thread message
    LResult result = procedure(message.window, message.message, message.wParam, message.lParam);
    if (message.message == WM_PAINT) {
        // A procedure that never began painting must not be asked again and again.
        Lock lock(mutex_);
        if (HeadlessWindow* window = table_.find(message.window))
            window->invalid = false;
    }
    return result;
}

bool HeadlessDesktop::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                  LParam lParam) {
    Lock lock(mutex_);
    if (window != nullptr && table_.find(window) == nullptr)
        return fail(ERROR_INVALID_WINDOW_HANDLE, false);
    postLocked(window, message, wParam, lParam);
    return true;
}

void HeadlessDesktop::postLocked(WindowHandle window, std::uint32_t message, WParam wParam,
                                 LParam lParam) {
    queue_.push_back({window, message, wParam, lParam});
    wake_.notify_all();
}

LResult HeadlessDesktop::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                     LParam lParam) {
    WindowProcedure procedure = procedureFor(window);
    if (procedure == nullptr)
        return fail<LResult>(ERROR_INVALID_WINDOW_HANDLE, 0);
    return procedure(window, message, wParam, lParam);
}

void HeadlessDesktop::postQuitMessage(int exitCode) {
    Lock lock(mutex_);
    quitting_ = true;
    exitCode_ = exitCode;
    wake_.notify_all();
}

WindowProcedure HeadlessDesktop::procedureFor(WindowHandle window) {
    Lock lock(mutex_);
    const HeadlessWindow* record = table_.find(window);
    if (record == nullptr)
        return nullptr;
    checkThread(*record);
    return record->procedure;
}

void HeadlessDesktop::checkThread(const HeadlessWindow& window) const {
    if (window.thread != std::this_thread::get_id())
        throw std::logic_error("a window's messages run on the thread that created it");
}

// Windows

bool HeadlessDesktop::registerClass(const WindowClass& windowClass) {
    Lock lock(mutex_);
    if (failRegistration_ != 0)
        return fail(std::exchange(failRegistration_, 0), false);
    if (windowClass.procedure == nullptr || windowClass.name.empty())
        return fail(ERROR_INVALID_PARAMETER, false);
    if (!table_.registerClass(windowClass))
        return fail(ERROR_CLASS_ALREADY_EXISTS, false);
    return true;
}

WindowHandle HeadlessDesktop::createWindow(const WindowCreation& creation) {
    WindowHandle handle = nullptr;
    {
        Lock lock(mutex_);
        if (failCreation_ != 0)
            return fail<WindowHandle>(std::exchange(failCreation_, 0), nullptr);
        const WindowClass* windowClass = table_.findClass(creation.className);
        if (windowClass == nullptr)
            return fail<WindowHandle>(ERROR_CANNOT_FIND_WND_CLASS, nullptr);
        HeadlessWindow window;
        window.procedure = windowClass->procedure;
        window.classStyle = windowClass->style;
        window.style = creation.style;
        window.extendedStyle = creation.extendedStyle;
        window.messageOnly = creation.messageOnly;
        window.identifier = creation.identifier;
        window.thread = std::this_thread::get_id();
        window.topmost = (creation.extendedStyle & WS_EX_TOPMOST) != 0;
        window.bounds = creation.messageOnly ? Rect{} : creationBounds(creation);
        resizePresented(window);
        handle = table_.add(std::move(window));
    }
    // As on the desktop, a window that refuses its creation is destroyed again.
    if (sendMessage(handle, WM_CREATE, 0, 0) == -1) {
        destroyWindow(handle);
        return fail<WindowHandle>(ERROR_INVALID_PARAMETER, nullptr);
    }
    return handle;
}

bool HeadlessDesktop::destroyWindow(WindowHandle window) {
    {
        Lock lock(mutex_);
        HeadlessWindow* record = table_.find(window);
        if (record == nullptr)
            return fail(ERROR_INVALID_WINDOW_HANDLE, false);
        checkThread(*record);
        if (std::exchange(record->destroying, true))
            return true;
        record->visible = false;
    }
    sendMessage(window, WM_DESTROY, 0, 0);
    Lock lock(mutex_);
    table_.remove(window);
    for (WindowHandle* gone : {&capture_, &hover_, &focus_, &foreground_})
        if (*gone == window)
            *gone = nullptr;
    refreshHoverLocked();
    return true;
}

LResult HeadlessDesktop::defaultProcedure(WindowHandle window, std::uint32_t message, WParam,
                                          LParam) {
    {
        Lock lock(mutex_);
        ++defaults_[{window, message}];
        if (message == WM_PAINT)
            if (HeadlessWindow* record = table_.find(window))
                record->invalid = false;
    }
    switch (message) {
    case WM_CLOSE:
        destroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return 0;
    }
}

std::uint32_t HeadlessDesktop::lastError() const {
    return lastErrorCode;
}

HeadlessWindow* HeadlessDesktop::findLocked(WindowHandle window) const {
    auto* record = const_cast<WindowTable&>(table_).find(window);
    if (record == nullptr)
        lastErrorCode = ERROR_INVALID_WINDOW_HANDLE;
    return record;
}

void HeadlessDesktop::setUserData(WindowHandle window, LParam data) {
    Lock lock(mutex_);
    if (HeadlessWindow* record = findLocked(window))
        record->userData = data;
}

LParam HeadlessDesktop::userData(WindowHandle window) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    return record != nullptr ? record->userData : 0;
}

int HeadlessDesktop::controlIdentifier(WindowHandle window) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    return record != nullptr ? record->identifier : 0;
}

WindowHandle HeadlessDesktop::parent(WindowHandle) const {
    return nullptr;
}

Point HeadlessDesktop::screenToClient(WindowHandle window, Point point) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    if (record == nullptr)
        return point;
    return {point.x - record->bounds.left, point.y - record->bounds.top};
}

void HeadlessDesktop::showWindow(WindowHandle window, bool visible) {
    {
        Lock lock(mutex_);
        HeadlessWindow* record = findLocked(window);
        if (record == nullptr || record->messageOnly || record->visible == visible)
            return;
        record->visible = visible;
        if (visible) {
            table_.raise(window);
            record->invalid = true;
            wake_.notify_all();
        }
        refreshHoverLocked();
    }
    sendMessage(window, WM_SHOWWINDOW, visible ? 1 : 0, 0);
}

bool HeadlessDesktop::isVisible(WindowHandle window) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    return record != nullptr && record->visible;
}

void HeadlessDesktop::enableWindow(WindowHandle window, bool enabled) {
    {
        Lock lock(mutex_);
        HeadlessWindow* record = findLocked(window);
        if (record == nullptr || record->enabled == enabled)
            return;
        record->enabled = enabled;
    }
    sendMessage(window, WM_ENABLE, enabled ? 1 : 0, 0);
}

void HeadlessDesktop::setFocus(WindowHandle window) {
    Lock lock(mutex_);
    if (findLocked(window) != nullptr)
        focus_ = window;
}

void HeadlessDesktop::setTopmost(WindowHandle window) {
    Lock lock(mutex_);
    if (HeadlessWindow* record = findLocked(window)) {
        record->topmost = true;
        table_.raise(window);
        refreshHoverLocked();
    }
}

void HeadlessDesktop::moveWindow(WindowHandle window, const Rect& bounds, bool repaint) {
    Rect normal = normalised(bounds);
    Rect old;
    {
        Lock lock(mutex_);
        HeadlessWindow* record = findLocked(window);
        if (record == nullptr || record->messageOnly)
            return;
        old = std::exchange(record->bounds, normal);
        resizePresented(*record);
        if (repaint) {
            record->invalid = true;
            wake_.notify_all();
        }
        refreshHoverLocked();
    }
    sendGeometryChanges(*this, window, old, normal);
}

Rect HeadlessDesktop::windowRect(WindowHandle window) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    return record != nullptr ? record->bounds : Rect{};
}

Rect HeadlessDesktop::clientRect(WindowHandle window) const {
    Lock lock(mutex_);
    const HeadlessWindow* record = findLocked(window);
    return record != nullptr ? Rect{0, 0, record->bounds.width(), record->bounds.height()} : Rect{};
}

// Painting

void HeadlessDesktop::invalidate(WindowHandle window) {
    Lock lock(mutex_);
    if (HeadlessWindow* record = findLocked(window)) {
        record->invalid = true;
        wake_.notify_all();
    }
}

void HeadlessDesktop::update(WindowHandle window) {
    {
        Lock lock(mutex_);
        HeadlessWindow* record = findLocked(window);
        if (record == nullptr || !record->visible || !record->invalid)
            return;
    }
    dispatchMessage({window, WM_PAINT, 0, 0});
}

void HeadlessDesktop::redraw(WindowHandle window) {
    {
        Lock lock(mutex_);
        HeadlessWindow* record = findLocked(window);
        if (record == nullptr)
            return;
        record->invalid = true;
        if (record->thread != std::this_thread::get_id()) {
            wake_.notify_all(); // the window's own loop paints it
            return;
        }
    }
    update(window);
}

void HeadlessDesktop::beginPaint(WindowHandle window) {
    Lock lock(mutex_);
    if (HeadlessWindow* record = findLocked(window))
        record->invalid = false;
}

void HeadlessDesktop::endPaint(WindowHandle) {}

void HeadlessDesktop::present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels,
                              Point at) {
    Lock lock(mutex_);
    HeadlessWindow* record = findLocked(window);
    if (record == nullptr)
        return;
    gui::Bitmap<gui::Pixel>& target = record->presented;
    int left = std::max(0, at.x);
    int right = std::min(target.width(), at.x + pixels.width());
    for (int y = std::max(0, at.y); y < std::min(target.height(), at.y + pixels.height()); ++y)
        if (left < right)
            std::copy(pixels.scanline(y - at.y) + (left - at.x),
                      pixels.scanline(y - at.y) + (right - at.x), target.scanline(y) + left);
}

void HeadlessDesktop::resizePresented(HeadlessWindow& window) {
    if (window.presented.width() != window.bounds.width() ||
        window.presented.height() != window.bounds.height())
        window.presented =
            gui::Bitmap<gui::Pixel>(window.bounds.width(), window.bounds.height(), gui::Pixel{});
}

// Notification area, menus and shell

bool HeadlessDesktop::addTrayIcon(const TrayIconRequest& request) {
    Lock lock(mutex_);
    return tray_.add(request, taskbar_, screenLocked());
}

bool HeadlessDesktop::setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                                         const gui::Bitmap<gui::Pixel>& picture) {
    Lock lock(mutex_);
    return tray_.setPicture(owner, identifier, picture);
}

bool HeadlessDesktop::removeTrayIcon(WindowHandle owner, std::uint32_t identifier) {
    Lock lock(mutex_);
    return tray_.remove(owner, identifier);
}

MenuHandle HeadlessDesktop::loadMenu(int resource) {
    Lock lock(mutex_);
    const MenuResource* menu = findMenuResource(resource);
    if (menu == nullptr)
        return fail<MenuHandle>(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
    std::uintptr_t id = nextMenu_;
    nextMenu_ += 4;
    menus_.emplace(id, menu);
    return reinterpret_cast<MenuHandle>(id);
}

void HeadlessDesktop::destroyMenu(MenuHandle menu) {
    Lock lock(mutex_);
    menus_.erase(reinterpret_cast<std::uintptr_t>(menu));
}

void HeadlessDesktop::trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner) {
    Lock lock(mutex_);
    auto found = menus_.find(reinterpret_cast<std::uintptr_t>(menu));
    if (found == menus_.end() || findLocked(owner) == nullptr)
        return;
    menuRequest_ = MenuRequest{owner, at, found->second->items};
}

void HeadlessDesktop::setForegroundWindow(WindowHandle window) {
    Lock lock(mutex_);
    if (findLocked(window) != nullptr)
        foreground_ = window;
}

std::optional<gui::Bitmap<gui::Pixel>> HeadlessDesktop::loadIcon(int resource, int size) {
    std::optional<gui::Bitmap<gui::Pixel>> icon = builtInIcon(resource, size);
    if (!icon)
        lastErrorCode = ERROR_RESOURCE_NAME_NOT_FOUND;
    return icon;
}

Point HeadlessDesktop::cursorPosition() const {
    Lock lock(mutex_);
    return cursor_;
}

std::vector<Rect> HeadlessDesktop::monitors() const {
    Lock lock(mutex_);
    return monitors_;
}

std::optional<Taskbar> HeadlessDesktop::taskbar() const {
    Lock lock(mutex_);
    return taskbar_;
}

Rect HeadlessDesktop::screenLocked() const {
    return monitors_.empty() ? Rect{0, 0, 1920, 1080} : monitors_.front();
}

} // namespace platform::headless
