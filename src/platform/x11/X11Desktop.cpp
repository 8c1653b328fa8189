#include "platform/x11/X11Desktop.h"

#include "platform/Resources.h"
#include "platform/software/WindowGeometry.h"
#include "platform/x11/X11Menu.h"
#include "platform/x11/X11Tray.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace platform::x11 {

namespace {

thread_local std::uint32_t lastErrorCode = 0;

template <typename T>
T fail(std::uint32_t error, T result) {
    lastErrorCode = error;
    return result;
}

// A window that went away while a request for it was on its way is no reason to end the
// program, which is what Xlib's default handler does.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

constexpr Time doubleClickTime = 500;
constexpr int doubleClickDistance = 4;
constexpr long windowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                              PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                              StructureNotifyMask;

struct ButtonMessages {
    std::uint32_t down;
    std::uint32_t up;
    std::uint32_t doubleClick;
    std::uint32_t flag;
};

bool buttonMessages(unsigned button, ButtonMessages& out) {
    switch (button) {
    case Button1:
        out = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, MK_LBUTTON};
        return true;
    case Button2:
        out = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, MK_MBUTTON};
        return true;
    case Button3:
        out = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, MK_RBUTTON};
        return true;
    default:
        return false; // wheels and extra buttons mean nothing here
    }
}

} // namespace

std::unique_ptr<X11Desktop> X11Desktop::open(std::string& reason) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        reason = std::string("unable to open the X display \"") + (name ? name : "") +
                 "\"; PakVue needs an X11 desktop.";
        return nullptr;
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        XCloseDisplay(display);
        reason = "unable to create the desktop's wake-up pipe.";
        return nullptr;
    }
    return std::unique_ptr<X11Desktop>(new X11Desktop(display, pipe[0], pipe[1]));
}

X11Desktop::X11Desktop(Display* display, int wakeRead, int wakeWrite)
    : display_(display), screen_(DefaultScreen(display)),
      format_(PixelFormat::of(DefaultVisual(display, screen_), DefaultDepth(display, screen_))),
      wakeRead_(wakeRead), wakeWrite_(wakeWrite), thread_(std::this_thread::get_id()) {
    XSetErrorHandler(ignoreError);
    tray_ = std::make_unique<X11Tray>(display_, screen_);
    menu_ = std::make_unique<X11Menu>(display_, screen_, format_);
}

X11Desktop::~X11Desktop() {
    menu_.reset();
    tray_.reset();
    for (auto& [key, window] : windows_)
        if (window.xid != 0)
            XDestroyWindow(display_, window.xid);
    XCloseDisplay(display_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

// Message loop

void X11Desktop::wake() {
    char byte = 0;
    [[maybe_unused]] auto written = ::write(wakeWrite_, &byte, 1); // a full pipe wakes anyway
}

void X11Desktop::postLocked(WindowHandle window, std::uint32_t message, WParam wParam,
                            LParam lParam) {
    queue_.push_back({window, message, wParam, lParam});
    wake();
}

bool X11Desktop::nextMessage(Message& message) {
    Lock lock(mutex_);
    if (!queue_.empty()) {
        message = queue_.front();
        queue_.pop_front();
        return true;
    }
    if (quitting_) {
        quitting_ = false;
        message = {nullptr, WM_QUIT, static_cast<WParam>(exitCode_), 0};
        return true;
    }
    for (auto& [key, window] : windows_)
        if (window.visible && window.invalid) {
            message = {reinterpret_cast<WindowHandle>(key), WM_PAINT, 0, 0};
            return true;
        }
    return false;
}

bool X11Desktop::getMessage(Message& message) {
    for (;;) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            translate(event);
        }
        tray_->refresh(format_);
        for (const TrayEvent& event : tray_->takeEvents())
            postMessage(event.owner, event.message, event.wParam, event.lParam);
        if (nextMessage(message))
            return message.message != WM_QUIT;
        waitForInput();
    }
}

void X11Desktop::waitForInput() {
    XFlush(display_);
    pollfd sources[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    ::poll(sources, 2, tray_->millisecondsToNextEvent());
    char drained[64];
    while (::read(wakeRead_, drained, sizeof drained) > 0) {
    }
}

LResult X11Desktop::dispatchMessage(const Message& message) {
    WindowProcedure procedure = procedureFor(message.window);
    if (procedure == nullptr)
        return 0;
    LResult result = procedure(message.window, message.message, message.wParam, message.lParam);
    if (message.message == WM_PAINT) {
        Lock lock(mutex_);
        if (X11Window* window = find(message.window))
            window->invalid = false; // never ask again for a paint nobody began
    }
    return result;
}

bool X11Desktop::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) {
    Lock lock(mutex_);
    if (window != nullptr && find(window) == nullptr)
        return fail(ERROR_INVALID_WINDOW_HANDLE, false);
    postLocked(window, message, wParam, lParam);
    return true;
}

LResult X11Desktop::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
    WindowProcedure procedure = procedureFor(window);
    if (procedure == nullptr)
        return fail<LResult>(ERROR_INVALID_WINDOW_HANDLE, 0);
    return procedure(window, message, wParam, lParam);
}

void X11Desktop::postQuitMessage(int exitCode) {
    Lock lock(mutex_);
    quitting_ = true;
    exitCode_ = exitCode;
    wake();
}

WindowProcedure X11Desktop::procedureFor(WindowHandle window) {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    if (record == nullptr)
        return nullptr;
    if (record->thread != std::this_thread::get_id())
        throw std::logic_error("a window's messages run on the thread that created it");
    return record->procedure;
}

X11Window* X11Desktop::find(WindowHandle window) const {
    auto found = windows_.find(reinterpret_cast<std::uintptr_t>(window));
    return found == windows_.end() ? nullptr : &found->second;
}

WindowHandle X11Desktop::handleOf(::Window xid) const {
    for (const auto& [key, window] : windows_)
        if (window.xid == xid && xid != 0)
            return reinterpret_cast<WindowHandle>(key);
    return nullptr;
}

// Input

std::uint32_t X11Desktop::keyState(unsigned state) const {
    std::uint32_t keys = 0;
    if (state & Button1Mask)
        keys |= MK_LBUTTON;
    if (state & Button2Mask)
        keys |= MK_MBUTTON;
    if (state & Button3Mask)
        keys |= MK_RBUTTON;
    if (state & ShiftMask)
        keys |= MK_SHIFT;
    if (state & ControlMask)
        keys |= MK_CONTROL;
    return keys;
}

void X11Desktop::translate(const XEvent& event) {
    if (tray_->handles(event) || menu_->handles(event, *this))
        return;
    Lock lock(mutex_);
    WindowHandle window = handleOf(event.xany.window);
    X11Window* record = find(window);
    if (record == nullptr)
        return;
    switch (event.type) {
    case Expose:
        record->invalid = true;
        break;
    case MotionNotify:
        if (record->enabled)
            postLocked(window, WM_MOUSEMOVE, keyState(event.xmotion.state),
                       makeLParam(event.xmotion.x, event.xmotion.y));
        break;
    case ButtonPress:
    case ButtonRelease:
        lock.unlock();
        translateButton(event.xbutton, event.type == ButtonPress);
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal && record->trackingLeave) {
            record->trackingLeave = false;
            postLocked(window, WM_MOUSELEAVE, 0, 0);
        }
        break;
    default:
        break;
    }
}

void X11Desktop::translateButton(const XButtonEvent& event, bool press) {
    ButtonMessages messages;
    if (!buttonMessages(event.button, messages))
        return;
    Lock lock(mutex_);
    WindowHandle window = handleOf(event.window);
    X11Window* record = find(window);
    if (record == nullptr || !record->enabled)
        return;
    std::uint32_t keys = keyState(event.state);
    std::uint32_t message = messages.up;
    if (press) {
        keys |= messages.flag;
        bool again = record->lastButton == event.button &&
                     event.time - record->lastPressTime <= doubleClickTime &&
                     std::abs(event.x - record->lastPressAt.x) <= doubleClickDistance &&
                     std::abs(event.y - record->lastPressAt.y) <= doubleClickDistance;
        bool doubled = again && (record->classStyle & CS_DBLCLKS) != 0;
        message = doubled ? messages.doubleClick : messages.down;
        record->lastButton = doubled ? 0 : event.button;
        record->lastPressTime = event.time;
        record->lastPressAt = {event.x, event.y};
    } else {
        keys &= ~messages.flag;
    }
    postLocked(window, message, keys, makeLParam(event.x, event.y));
}

// Windows

bool X11Desktop::registerClass(const WindowClass& windowClass) {
    Lock lock(mutex_);
    if (windowClass.procedure == nullptr || windowClass.name.empty())
        return fail(ERROR_INVALID_PARAMETER, false);
    if (!classes_.emplace(windowClass.name, windowClass).second)
        return fail(ERROR_CLASS_ALREADY_EXISTS, false);
    return true;
}

WindowHandle X11Desktop::createWindow(const WindowCreation& creation) {
    WindowHandle handle = nullptr;
    {
        Lock lock(mutex_);
        auto found = classes_.find(creation.className);
        if (found == classes_.end())
            return fail<WindowHandle>(ERROR_CANNOT_FIND_WND_CLASS, nullptr);
        X11Window window;
        window.procedure = found->second.procedure;
        window.classStyle = found->second.style;
        window.messageOnly = creation.messageOnly;
        window.identifier = creation.identifier;
        window.thread = std::this_thread::get_id();
        window.bounds = creationBounds(creation);
        if (!creation.messageOnly) {
            XSetWindowAttributes attributes{};
            attributes.override_redirect = True; // pop-ups place themselves, undecorated
            attributes.event_mask = windowEvents;
            attributes.background_pixmap = None;
            window.xid = XCreateWindow(
                display_, RootWindow(display_, screen_), window.bounds.left, window.bounds.top,
                static_cast<unsigned>(std::max(1, window.bounds.width())),
                static_cast<unsigned>(std::max(1, window.bounds.height())), 0, CopyFromParent,
                InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask | CWBackPixmap,
                &attributes);
            XStoreName(display_, window.xid, creation.title.c_str());
        }
        std::uintptr_t key = next_;
        next_ += 4;
        windows_.emplace(key, std::move(window));
        handle = reinterpret_cast<WindowHandle>(key);
    }
    if (sendMessage(handle, WM_CREATE, 0, 0) == -1) {
        destroyWindow(handle);
        return fail<WindowHandle>(ERROR_INVALID_PARAMETER, nullptr);
    }
    return handle;
}

bool X11Desktop::destroyWindow(WindowHandle window) {
    {
        Lock lock(mutex_);
        X11Window* record = find(window);
        if (record == nullptr)
            return fail(ERROR_INVALID_WINDOW_HANDLE, false);
        if (std::exchange(record->destroying, true))
            return true;
    }
    sendMessage(window, WM_DESTROY, 0, 0);
    Lock lock(mutex_);
    X11Window* record = find(window);
    if (record->xid != 0)
        XDestroyWindow(display_, record->xid);
    if (capture_ == window) {
        XUngrabPointer(display_, CurrentTime);
        capture_ = nullptr;
    }
    windows_.erase(reinterpret_cast<std::uintptr_t>(window));
    return true;
}

LResult X11Desktop::defaultProcedure(WindowHandle window, std::uint32_t message, WParam, LParam) {
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

std::uint32_t X11Desktop::lastError() const {
    return lastErrorCode;
}

void X11Desktop::setUserData(WindowHandle window, LParam data) {
    Lock lock(mutex_);
    if (X11Window* record = find(window))
        record->userData = data;
}

LParam X11Desktop::userData(WindowHandle window) const {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    return record != nullptr ? record->userData : fail<LParam>(ERROR_INVALID_WINDOW_HANDLE, 0);
}

int X11Desktop::controlIdentifier(WindowHandle window) const {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    return record != nullptr ? record->identifier : 0;
}

WindowHandle X11Desktop::parent(WindowHandle) const {
    return nullptr;
}

Point X11Desktop::screenToClient(WindowHandle window, Point point) const {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    return record == nullptr ? point
                             : Point{point.x - record->bounds.left, point.y - record->bounds.top};
}

void X11Desktop::showWindow(WindowHandle window, bool visible) {
    {
        Lock lock(mutex_);
        X11Window* record = find(window);
        if (record == nullptr || record->messageOnly || record->visible == visible)
            return;
        record->visible = visible;
        record->invalid = visible;
        if (visible)
            XMapRaised(display_, record->xid);
        else
            XUnmapWindow(display_, record->xid);
        XFlush(display_);
    }
    sendMessage(window, WM_SHOWWINDOW, visible ? 1 : 0, 0);
}

bool X11Desktop::isVisible(WindowHandle window) const {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    return record != nullptr && record->visible;
}

void X11Desktop::enableWindow(WindowHandle window, bool enabled) {
    {
        Lock lock(mutex_);
        X11Window* record = find(window);
        if (record == nullptr || record->enabled == enabled)
            return;
        record->enabled = enabled;
    }
    sendMessage(window, WM_ENABLE, enabled ? 1 : 0, 0);
}

void X11Desktop::setFocus(WindowHandle) {} // pop-ups here take no keyboard input

void X11Desktop::setTopmost(WindowHandle window) {
    Lock lock(mutex_);
    if (X11Window* record = find(window); record != nullptr && record->xid != 0)
        XRaiseWindow(display_, record->xid);
}

void X11Desktop::moveWindow(WindowHandle window, const Rect& bounds, bool repaint) {
    Rect normal = normalised(bounds);
    Rect old;
    {
        Lock lock(mutex_);
        X11Window* record = find(window);
        if (record == nullptr || record->messageOnly)
            return;
        old = std::exchange(record->bounds, normal);
        XMoveResizeWindow(display_, record->xid, normal.left, normal.top,
                          static_cast<unsigned>(std::max(1, normal.width())),
                          static_cast<unsigned>(std::max(1, normal.height())));
        record->invalid = record->invalid || repaint;
    }
    sendGeometryChanges(*this, window, old, normal);
}

Rect X11Desktop::windowRect(WindowHandle window) const {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    return record != nullptr ? record->bounds : Rect{};
}

Rect X11Desktop::clientRect(WindowHandle window) const {
    Lock lock(mutex_);
    const X11Window* record = find(window);
    return record != nullptr ? Rect{0, 0, record->bounds.width(), record->bounds.height()} : Rect{};
}

// Painting

void X11Desktop::invalidate(WindowHandle window) {
    Lock lock(mutex_);
    if (X11Window* record = find(window)) {
        record->invalid = true;
        wake();
    }
}

void X11Desktop::update(WindowHandle window) {
    {
        Lock lock(mutex_);
        X11Window* record = find(window);
        if (record == nullptr || !record->visible || !record->invalid)
            return;
    }
    dispatchMessage({window, WM_PAINT, 0, 0});
}

void X11Desktop::redraw(WindowHandle window) {
    {
        Lock lock(mutex_);
        X11Window* record = find(window);
        if (record == nullptr)
            return;
        record->invalid = true;
        if (std::this_thread::get_id() != thread_) {
            wake(); // the loop's thread paints it; nobody waits for that here
            return;
        }
    }
    update(window);
}

void X11Desktop::beginPaint(WindowHandle window) {
    Lock lock(mutex_);
    if (X11Window* record = find(window))
        record->invalid = false;
}

void X11Desktop::endPaint(WindowHandle) {}

void X11Desktop::present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) {
    Lock lock(mutex_);
    X11Window* record = find(window);
    if (record == nullptr || record->xid == 0)
        return;
    image_.put(display_, record->xid, DefaultGC(display_, screen_), format_, pixels, at.x, at.y);
}

// Mouse

void X11Desktop::setCapture(WindowHandle window) {
    Lock lock(mutex_);
    X11Window* record = find(window);
    if (record == nullptr || record->xid == 0)
        return;
    XGrabPointer(display_, record->xid, False,
                 ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    capture_ = window;
}

void X11Desktop::releaseCapture() {
    WindowHandle released = nullptr;
    {
        Lock lock(mutex_);
        released = std::exchange(capture_, nullptr);
        if (released != nullptr)
            XUngrabPointer(display_, CurrentTime);
    }
    if (released != nullptr)
        sendMessage(released, WM_CAPTURECHANGED, 0, 0);
}

void X11Desktop::trackMouseLeave(WindowHandle window) {
    Lock lock(mutex_);
    if (X11Window* record = find(window))
        record->trackingLeave = true;
}

// Notification area and menus

bool X11Desktop::addTrayIcon(const TrayIconRequest& request) {
    return tray_->add(request, format_);
}

bool X11Desktop::setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                                    const gui::Bitmap<gui::Pixel>& picture) {
    bool known = tray_->setPicture(owner, identifier, picture);
    wake(); // the loop's thread draws it
    return known;
}

bool X11Desktop::removeTrayIcon(WindowHandle owner, std::uint32_t identifier) {
    return tray_->remove(owner, identifier);
}

MenuHandle X11Desktop::loadMenu(int resource) {
    if (findMenuResource(resource) == nullptr)
        return fail<MenuHandle>(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
    std::uintptr_t key = nextMenu_;
    nextMenu_ += 4;
    menus_.emplace(key, resource);
    return reinterpret_cast<MenuHandle>(key);
}

void X11Desktop::destroyMenu(MenuHandle menu) {
    menus_.erase(reinterpret_cast<std::uintptr_t>(menu));
}

void X11Desktop::trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner) {
    auto found = menus_.find(reinterpret_cast<std::uintptr_t>(menu));
    if (found != menus_.end())
        menu_->open(*findMenuResource(found->second), at, owner, screen());
}

void X11Desktop::setForegroundWindow(WindowHandle) {} // the menu grabs the pointer itself

std::optional<gui::Bitmap<gui::Pixel>> X11Desktop::loadIcon(int resource, int size) {
    std::optional<gui::Bitmap<gui::Pixel>> icon = builtInIcon(resource, size);
    if (!icon)
        lastErrorCode = ERROR_RESOURCE_NAME_NOT_FOUND;
    return icon;
}

// Shell

Point X11Desktop::cursorPosition() const {
    ::Window root = 0;
    ::Window child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display_, RootWindow(display_, screen_), &root, &child, &x, &y, &windowX,
                  &windowY, &mask);
    return {x, y};
}

Rect X11Desktop::screen() const {
    return {0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
}

std::vector<Rect> X11Desktop::monitors() const {
    std::vector<Rect> result;
    int count = 0;
    if (XRRMonitorInfo* list =
            XRRGetMonitors(display_, RootWindow(display_, screen_), True, &count)) {
        for (int i = 0; i < count; ++i)
            result.push_back(
                {list[i].x, list[i].y, list[i].x + list[i].width, list[i].y + list[i].height});
        XRRFreeMonitors(list);
    }
    if (result.empty())
        result.push_back(screen());
    return result;
}

std::optional<Taskbar> X11Desktop::taskbar() const {
    return tray_->panel(screen());
}

} // namespace platform::x11
