#include "platform/x11/X11Desktop.h"

#include "platform/x11/SniTray.h"
#include "platform/x11/X11Menu.h"
#include "platform/x11/X11WindowNames.h"
#include "platform/x11/XEmbedTray.h"
#include "util/log/AppLog.h"
#include "util/thread/Ticker.h"

#include <X11/Xutil.h>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform::x11 {

namespace {

// A window that went away while a request for it was on its way is no reason to end the
// program, which is what Xlib's default handler does.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

// Xlib's own handling of a broken connection exits from the loop's thread while the icons'
// threads still draw; instead the first handler returns, the second marks the connection lost,
// and the loop shuts the program down as usual.
int returnFromIOError(Display*) {
    return 0;
}

void markLost(Display*, void* lost) {
    *static_cast<bool*>(lost) = true;
}

// How long a new tray picture may wait for the pictures of the other icons.
constexpr std::chrono::milliseconds straggler(50);
constexpr int eventsPerTurn = 256;

constexpr long windowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                              PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                              StructureNotifyMask;

// The shorter of a poll timeout (-1 for none) and the time left until a deadline, rounded up so
// that the loop never wakes just before the deadline.
int earlier(int timeout, std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (!deadline)
        return timeout;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    const int milliseconds = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
    return timeout < 0 ? milliseconds : std::min(timeout, milliseconds);
}

::Window xidOf(const software::SoftwareWindow& record) {
    return static_cast<::Window>(record.native);
}

unsigned atLeastOne(std::int32_t length) {
    return static_cast<unsigned>(std::max(1, length));
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
    auto wake = LoopWake::open();
    if (wake == nullptr) {
        XCloseDisplay(display);
        reason = "unable to create the desktop's wake-up pipe.";
        return nullptr;
    }
    return std::unique_ptr<X11Desktop>(new X11Desktop(display, std::move(wake)));
}

X11Desktop::X11Desktop(Display* display, std::unique_ptr<LoopWake> wake)
    : loopThread_(std::this_thread::get_id()), display_(display), screen_(DefaultScreen(display)),
      format_(PixelFormat::of(DefaultVisual(display, screen_), DefaultDepth(display, screen_))),
      wake_(std::move(wake)), workArea_(XInternAtom(display, "_NET_WORKAREA", False)),
      resourceManager_(XInternAtom(display, "RESOURCE_MANAGER", False)) {
    XSetErrorHandler(ignoreError);
    XSetIOErrorHandler(returnFromIOError);
    XSetIOErrorExitHandler(display_, markLost, &lost_);
    // StatusNotifierItem first: where a panel hosts both kinds, it is the one the desktop means.
    std::vector<std::unique_ptr<Tray>> kinds;
    kinds.push_back(std::make_unique<SniTray>(
        [this] { return cursorPosition(); }, [this] { return screen(); },
        [this](WindowHandle owner) { sendMessage(owner, WM_INITMENUPOPUP, 0, 0); }));
    // Hosts that size icons by what they ask for give them the small-icon size of the scale.
    kinds.push_back(std::make_unique<XEmbedTray>(
        display_, screen_, format_, [this] { return Scale(monitorDpi({})).scaled(trayIconSize); }));
    tray_ = std::make_unique<ActiveTray>(std::move(kinds));
    menu_ = std::make_unique<X11Menu>(display_, screen_, format_);
    // The resource database lives on the root window; hear when the desktop rewrites it (a new
    // scale chosen in its settings), besides what the tray listens for there.
    ::Window root = RootWindow(display_, screen_);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, root, &attributes);
    XSelectInput(display_, root, attributes.your_event_mask | PropertyChangeMask);
    changeDpi(resourceDpi());
    signals_ = std::make_unique<TerminationSignals>(wake_->signalDescriptor());
    // The loop runs the icons' frames itself: a tick then wakes the program once, for the
    // frames and their drawing both.
    util::Ticker::shared().host([this] { this->wake(); });
}

// Closing the connection destroys every window made through it; on a broken one it only frees
// the connection's memory.
X11Desktop::~X11Desktop() {
    util::Ticker::shared().unhost();
    signals_.reset();
    menu_.reset();
    tray_.reset();
    XCloseDisplay(display_);
}

// Message loop: X events and tray call-backs become messages before each look at the queue;
// with nothing to do the loop sleeps in poll() on the X connection and the wake-up pipe.

void X11Desktop::collectInput() {
    // A signal that asks the program to end ends it as "Exit" does, through its shutdown.
    if (signals_->requested())
        postQuitMessage(0);
    // The icons' frames of this tick, whose pictures the trays then draw in the same turn.
    util::Ticker::shared().runDue();
    if (!lost_)
        readEvents();
    if (lost_)
        reportLostConnection();
    if (std::exchange(fileWatchReady_, false))
        fileWatches_.collect([this](WindowHandle owner, std::uint32_t message) {
            postMessage(owner, message, 0, 0);
        });
}

// At most a bounded number of X events a turn: another client that floods the server with
// events for PakVue's windows leaves the trays and the queue their turn too.
void X11Desktop::readEvents() {
    for (int read = 0; read < eventsPerTurn && !lost_ && XPending(display_) > 0; ++read) {
        XEvent event;
        XNextEvent(display_, &event);
        translate(event);
    }
    if (lost_)
        return;
    tray_->refresh();
    for (const TrayEvent& event : tray_->takeEvents())
        postMessage(event.owner, event.message, event.wParam, event.lParam);
}

void X11Desktop::reportLostConnection() {
    if (lossReported_)
        return;
    lossReported_ = true;
    util::log::logMessage(util::log::LogLevel::Error, "the connection to the X server was lost.");
    postQuitMessage(1);
}

void X11Desktop::waitForInputLocked(Lock& lock) {
    const std::optional<Clock::time_point> timer = nextTimerLocked();
    lock.unlock();
    if (lost_)
        return; // the quit is queued already
    XFlush(display_);
    polled_.resize(1 + LoopWake::descriptorCount);
    polled_[0] = {ConnectionNumber(display_), POLLIN, 0};
    wake_->watch(&polled_[1]);
    tray_->watch(polled_);
    const std::size_t fileWatch = polled_.size();
    fileWatches_.watch(polled_);
    // Events Xlib has read already are no longer on the connection for poll() to see.
    int next = tray_->millisecondsToNextEvent();
    if (const int tick = util::Ticker::shared().millisecondsToNextTick(); tick >= 0)
        next = next < 0 ? tick : std::min(next, tick);
    const int timeout = XEventsQueued(display_, QueuedAlready) > 0 ? 0 : earlier(next, timer);
    ::poll(polled_.data(), polled_.size(), timeout);
    wake_->clear(&polled_[1]);
    fileWatchReady_ = fileWatch < polled_.size() && polled_[fileWatch].revents != 0;
}

void X11Desktop::wakeLocked() {
    wake();
}

// Needs no lock: icon threads wake the loop without waiting for the desktop's lock.
void X11Desktop::wake() {
    wake_->now();
}

// Windows: every window but a message-only one is an override-redirect X window, since
// pop-ups place themselves and have no decoration.

void X11Desktop::createNativeLocked(WindowHandle, software::SoftwareWindow& record,
                                    const WindowCreation& creation) {
    if (creation.messageOnly || lost_)
        return;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = windowEvents;
    attributes.background_pixmap = None;
    ::Window xid = XCreateWindow(
        display_, RootWindow(display_, screen_), record.bounds.left, record.bounds.top,
        atLeastOne(record.bounds.width()), atLeastOne(record.bounds.height()), 0, CopyFromParent,
        InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask | CWBackPixmap, &attributes);
    XStoreName(display_, xid, creation.title.c_str());
    writeWindowIdentity(display_, xid);
    record.native = xid;
}

void X11Desktop::describeNativeLocked(WindowHandle, software::SoftwareWindow& record) {
    if (::Window xid = xidOf(record); xid != 0 && !lost_)
        writeWindowDescription(display_, xid, record.description);
}

void X11Desktop::destroyNativeLocked(WindowHandle, software::SoftwareWindow& record) {
    if (::Window xid = xidOf(record); xid != 0 && !lost_)
        XDestroyWindow(display_, xid);
}

void X11Desktop::showNativeLocked(WindowHandle, software::SoftwareWindow& record) {
    if (lost_ || xidOf(record) == 0)
        return;
    if (record.visible) {
        XMapRaised(display_, xidOf(record));
    } else {
        XUnmapWindow(display_, xidOf(record));
        // The picture buffer fits the largest window shown; a hidden window's pictures were
        // let go too, and the heap gives their pages back to the system.
        image_.release();
        ::malloc_trim(0);
    }
    XFlush(display_);
}

void X11Desktop::raiseNativeLocked(WindowHandle, software::SoftwareWindow& record) {
    if (::Window xid = xidOf(record); xid != 0 && !lost_)
        XRaiseWindow(display_, xid);
}

void X11Desktop::moveNativeLocked(WindowHandle, software::SoftwareWindow& record) {
    if (lost_ || xidOf(record) == 0)
        return;
    const Rect& bounds = record.bounds;
    XMoveResizeWindow(display_, xidOf(record), bounds.left, bounds.top, atLeastOne(bounds.width()),
                      atLeastOne(bounds.height()));
}

void X11Desktop::captureNativeLocked(WindowHandle, software::SoftwareWindow& record) {
    if (::Window xid = xidOf(record); xid != 0 && !lost_)
        XGrabPointer(display_, xid, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
}

void X11Desktop::releaseNativeCaptureLocked() {
    if (lost_)
        return;
    XUngrabPointer(display_, CurrentTime);
}

// Tracking begins from a mouse message of the window, so the mouse is over it; the server's
// LeaveNotify tells when it leaves.
bool X11Desktop::pointerOverLocked(WindowHandle) const {
    return true;
}

void X11Desktop::present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) {
    Lock held = lock();
    software::SoftwareWindow* record = findLocked(window);
    if (record == nullptr || record->native == 0 || lost_)
        return;
    image_.put(display_, xidOf(*record), DefaultGC(display_, screen_), format_, pixels, at.x, at.y);
}

// Notification area and menus

bool X11Desktop::addTrayIcon(const TrayIconRequest& request) {
    return !lost_ && tray_->add(request);
}

// The loop's thread draws the pictures. Icons of one interval set theirs at the same moment:
// the last one wakes the loop for all, and a deadline draws a picture whose fellows come later
// or not at all.
void X11Desktop::wakeFor(const PictureSet& set) {
    if (std::this_thread::get_id() == loopThread_)
        return; // the frames of a tick: the trays draw them later in this turn
    if (set.everyIconHasANewOne)
        wake();
    else
        wake_->within(straggler);
}

bool X11Desktop::setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                                    const gui::Bitmap<gui::Pixel>& picture) {
    const PictureSet set = tray_->setPictures(owner, identifier, picture, nullptr);
    wakeFor(set);
    return set.known;
}

bool X11Desktop::setTrayIconPictures(WindowHandle owner, std::uint32_t identifier,
                                     const gui::Bitmap<gui::Pixel>& picture,
                                     const gui::Bitmap<gui::Pixel>& small) {
    const PictureSet set = tray_->setPictures(owner, identifier, picture, &small);
    wakeFor(set);
    return set.known;
}

// A lost connection takes the icons' windows with it.
bool X11Desktop::removeTrayIcon(WindowHandle owner, std::uint32_t identifier) {
    return !lost_ && tray_->remove(owner, identifier);
}

void X11Desktop::setTrayIconTip(WindowHandle owner, std::uint32_t identifier,
                                const std::string& tip) {
    tray_->setTip(owner, identifier, tip);
}

int X11Desktop::trayPictureSize(WindowHandle owner, std::uint32_t identifier) const {
    return tray_->pictureSize(owner, identifier);
}

int X11Desktop::traySmallPictureSize(WindowHandle, std::uint32_t) const {
    return tray_->smallPictureSize();
}

std::unique_ptr<FileWatch> X11Desktop::watchFile(const std::filesystem::path& file,
                                                 WindowHandle owner, std::uint32_t message) {
    return fileWatches_.watch(file, owner, message);
}

void X11Desktop::setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) {
    SoftwareDesktop::setMenuItemChecked(menu, command, checked);
    tray_->setMenuItemChecked(command, checked);
}

void X11Desktop::openMenu(const MenuResource& menu, Point at, WindowHandle owner) {
    if (lost_)
        return;
    menu_->open(menu, at, owner, screen());
}

} // namespace platform::x11
