#include "platform/x11/XEmbedTray.h"

#include "util/log/AppLog.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

namespace platform::x11 {

namespace {

constexpr long requestDock = 0;
constexpr auto hoverRest = std::chrono::milliseconds(400);
// The largest side of an icon window that is drawn: hosts give icons a few dozen pixels.
constexpr int largestIconWindow = 256;

constexpr long iconEvents = ExposureMask | StructureNotifyMask | EnterWindowMask | LeaveWindowMask |
                            ButtonPressMask | ButtonReleaseMask;

} // namespace

XEmbedTray::XEmbedTray(Display* display, int screen, const PixelFormat& format,
                       std::function<int()> iconSide)
    : display_(display), screen_(screen), format_(format), iconSide_(std::move(iconSide)),
      selection_(
          XInternAtom(display, ("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str(), False)),
      managerAtom_(XInternAtom(display, "MANAGER", False)),
      opcode_(XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False)),
      xembedInfo_(XInternAtom(display, "_XEMBED_INFO", False)),
      visualAtom_(XInternAtom(display, "_NET_SYSTEM_TRAY_VISUAL", False)),
      netWmName_(XInternAtom(display, "_NET_WM_NAME", False)),
      utf8String_(XInternAtom(display, "UTF8_STRING", False)) {
    // A tray host that starts announces itself to the root window: wake up and dock.
    XSelectInput(display, RootWindow(display, screen), StructureNotifyMask);
    followManager();
}

// Takes the selection's owner as the host, and watches its window so its end is heard. The
// server is held meanwhile: a host that ended between the two requests would never be heard of.
// Icons a host was asked for but has not taken are asked for again: that host may have died
// before it took them, and a new one knows nothing of them.
void XEmbedTray::followManager() {
    XGrabServer(display_);
    manager_ = XGetSelectionOwner(display_, selection_);
    if (manager_ != 0)
        XSelectInput(display_, manager_, StructureNotifyMask);
    XUngrabServer(display_);
    for (const auto& icon : icons_)
        if (!icon->embedded)
            icon->host = 0;
}

// A host announcing itself on the root window, or the window of the one followed going away.
bool XEmbedTray::handlesHost(const XEvent& event) {
    bool announced = event.type == ClientMessage && event.xclient.message_type == managerAtom_ &&
                     static_cast<Atom>(event.xclient.data.l[1]) == selection_;
    bool ended =
        event.type == DestroyNotify && manager_ != 0 && event.xdestroywindow.window == manager_;
    if (announced || ended)
        followManager();
    return announced || ended;
}

Visual* XEmbedTray::trayVisual(::Window host, int& depth) const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Visual* visual = nullptr;
    if (host != 0 &&
        XGetWindowProperty(display_, host, visualAtom_, 0, 1, False, XA_VISUALID, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && type == XA_VISUALID && format == 32 && count == 1) {
        XVisualInfo wanted{};
        wanted.visualid = static_cast<VisualID>(*reinterpret_cast<unsigned long*>(data));
        int matches = 0;
        if (XVisualInfo* info = XGetVisualInfo(display_, VisualIDMask, &wanted, &matches)) {
            if (matches > 0 && info->depth == 32) {
                visual = info->visual;
                depth = 32;
            }
            XFree(info);
        }
    }
    if (data != nullptr)
        XFree(data);
    return visual;
}

bool XEmbedTray::add(const TrayIconRequest& request) {
    const int side = iconSide_();
    std::lock_guard lock(mutex_);
    for (const auto& icon : icons_)
        if (icon->owner == request.owner && icon->identifier == request.identifier)
            return false;
    auto icon = std::make_unique<Icon>();
    icon->owner = request.owner;
    icon->identifier = request.identifier;
    icon->callback = request.callbackMessage;
    if (request.picture != nullptr)
        icon->picture = *request.picture;
    int depth = DefaultDepth(display_, screen_);
    Visual* visual = trayVisual(manager_, depth);
    XSetWindowAttributes attributes{};
    attributes.event_mask = iconEvents;
    unsigned long mask = CWEventMask;
    if (visual != nullptr) { // the host composites: draw with alpha
        icon->argb = true;
        attributes.colormap =
            XCreateColormap(display_, RootWindow(display_, screen_), visual, AllocNone);
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    } else { // the host's own background shows through; the picture is laid over it
        visual = CopyFromParent;
        depth = CopyFromParent;
        attributes.background_pixmap = ParentRelative;
        mask |= CWBackPixmap;
    }
    icon->width = icon->height = side;
    icon->window = XCreateWindow(display_, RootWindow(display_, screen_), 0, 0,
                                 static_cast<unsigned>(side), static_cast<unsigned>(side), 0, depth,
                                 InputOutput, visual, mask, &attributes);
    unsigned long info[2] = {0, 1}; // XEmbed version 0, mapped
    XChangeProperty(display_, icon->window, xembedInfo_, xembedInfo_, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(info), 2);
    // The tip names the icon; WM_NAME is Latin-1, so the graphs' names go in UTF-8 as well.
    XStoreName(display_, icon->window, request.tip.c_str());
    XChangeProperty(display_, icon->window, netWmName_, utf8String_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(request.tip.data()),
                    static_cast<int>(request.tip.size()));
    // The host sizes its socket from the icon's size hints.
    XSizeHints hints{};
    hints.flags = PMinSize | PBaseSize;
    hints.min_width = hints.base_width = side;
    hints.min_height = hints.base_height = side;
    XSetWMNormalHints(display_, icon->window, &hints);
    icons_.push_back(std::move(icon));
    return true;
}

void XEmbedTray::dock(Icon& icon) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = manager_;
    message.xclient.message_type = opcode_;
    message.xclient.format = 32;
    message.xclient.data.l[0] = CurrentTime;
    message.xclient.data.l[1] = requestDock;
    message.xclient.data.l[2] = static_cast<long>(icon.window);
    XSendEvent(display_, manager_, False, NoEventMask, &message);
    icon.host = manager_;
}

PictureSet XEmbedTray::setPictures(WindowHandle owner, std::uint32_t identifier,
                                   const gui::Bitmap<gui::Pixel>& picture,
                                   const gui::Bitmap<gui::Pixel>*) {
    std::lock_guard lock(mutex_);
    return storePicture(icons_, owner, identifier, picture);
}

bool XEmbedTray::remove(WindowHandle owner, std::uint32_t identifier) {
    std::lock_guard lock(mutex_);
    auto found = std::find_if(icons_.begin(), icons_.end(), [&](const auto& icon) {
        return icon->owner == owner && icon->identifier == identifier;
    });
    if (found == icons_.end())
        return false;
    XDestroyWindow(display_, (*found)->window);
    icons_.erase(found);
    return true;
}

std::optional<gui::Bitmap<gui::Pixel>> XEmbedTray::latestPicture(WindowHandle owner,
                                                                 std::uint32_t identifier) const {
    std::lock_guard lock(mutex_);
    for (const auto& icon : icons_)
        if (icon->owner == owner && icon->identifier == identifier)
            return icon->newPicture ? icon->picture : icon->drawn;
    return std::nullopt;
}

int XEmbedTray::pictureSize(WindowHandle owner, std::uint32_t identifier) const {
    std::lock_guard lock(mutex_);
    for (const auto& icon : icons_)
        if (icon->owner == owner && icon->identifier == identifier)
            return std::max(1, std::min(icon->width, icon->height));
    return trayIconSize;
}

XEmbedTray::Icon* XEmbedTray::iconOf(::Window window) {
    for (const auto& icon : icons_)
        if (icon->window == window)
            return icon.get();
    return nullptr;
}

void XEmbedTray::post(const Icon& icon, std::uint32_t event) {
    ::Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(display_, icon.window, RootWindow(display_, screen_), icon.width / 2,
                          icon.height / 2, &x, &y, &child);
    postAt(icon, event, {x, y});
}

void XEmbedTray::postAt(const Icon& icon, std::uint32_t event, Point at) {
    events_.push_back({icon.owner, icon.callback, makeWParam(at.x, at.y),
                       makeLParam(static_cast<int>(event), static_cast<int>(icon.identifier))});
}

bool XEmbedTray::handles(const XEvent& event) {
    std::lock_guard lock(mutex_);
    if (handlesHost(event))
        return true;
    Icon* icon = iconOf(event.xany.window);
    if (icon == nullptr)
        return false;
    switch (event.type) {
    case Expose:
        icon->dirty = true;
        icon->behindKnown = false;
        break;
    case ReparentNotify:
        // Back on the root window: the tray host went away or gave it up. Hide until a host
        // takes it again.
        icon->embedded = event.xreparent.parent != RootWindow(display_, screen_);
        icon->behindKnown = false;
        if (!icon->embedded) {
            icon->host = 0;
            icon->hover = Hover::Outside;
            XUnmapWindow(display_, icon->window);
        }
        break;
    case ConfigureNotify:
        // Any client may send a made-up configure event; only the server's own tell the size,
        // and no host gives an icon more than a bounded square.
        if (event.xconfigure.send_event)
            break;
        icon->width = std::clamp(event.xconfigure.width, 1, largestIconWindow);
        icon->height = std::clamp(event.xconfigure.height, 1, largestIconWindow);
        icon->dirty = true;
        icon->behindKnown = false; // moved or resized within the host
        break;
    case EnterNotify:
        icon->hover = Hover::Resting;
        icon->opensAt = Clock::now() + hoverRest;
        break;
    case LeaveNotify:
        if (icon->hover == Hover::Open)
            post(*icon, NIN_POPUPCLOSE);
        icon->hover = Hover::Outside;
        break;
    case ButtonPress:
        if (event.xbutton.button == Button1)
            post(*icon, WM_LBUTTONDOWN);
        else if (event.xbutton.button == Button3)
            post(*icon, WM_RBUTTONDOWN);
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1) {
            post(*icon, WM_LBUTTONUP);
        } else if (event.xbutton.button == Button3) {
            post(*icon, WM_RBUTTONUP);
            // The menu opens where the click was, as a mouse-opened menu does on Windows.
            postAt(*icon, WM_CONTEXTMENU, {event.xbutton.x_root, event.xbutton.y_root});
        }
        break;
    default:
        break;
    }
    return true;
}

std::vector<TrayEvent> XEmbedTray::takeEvents() {
    std::lock_guard lock(mutex_);
    Clock::time_point now = Clock::now();
    for (const auto& icon : icons_)
        if (icon->hover == Hover::Resting && icon->opensAt <= now) {
            icon->hover = Hover::Open;
            post(*icon, NIN_POPUPOPEN);
        }
    return std::exchange(events_, {});
}

int XEmbedTray::millisecondsToNextEvent() const {
    std::lock_guard lock(mutex_);
    int wait = -1;
    Clock::time_point now = Clock::now();
    for (const auto& icon : icons_)
        if (icon->hover == Hover::Resting) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(icon->opensAt - now);
            int milliseconds = static_cast<int>(std::max<long long>(0, left.count()));
            wait = wait < 0 ? milliseconds : std::min(wait, milliseconds);
        }
    return wait;
}

// Only this thread changes the icons themselves; animation threads set pictures. The lock is
// held just to take the new pictures, so that a thread setting one never waits for the drawing.
void XEmbedTray::refresh() {
    bool waiting = false;
    for (const auto& icon : icons_) {
        if (icon->host == 0 && manager_ != 0)
            dock(*icon);
        waiting = waiting || icon->host == 0;
        const bool newPicture = takePicture(*icon); // taken while undocked too
        if ((newPicture || icon->dirty) && icon->host != 0)
            draw(*icon);
    }
    reportHost(waiting);
}

bool XEmbedTray::takePicture(Icon& icon) {
    std::lock_guard lock(mutex_);
    if (!icon.newPicture)
        return false;
    std::swap(icon.picture, icon.drawn); // both keep their pixels' storage
    icon.newPicture = false;
    return true;
}

// Icons waiting for a host are invisible: say so once, and once more when a host takes them.
void XEmbedTray::reportHost(bool waiting) {
    if (waiting && !hostMissing_)
        util::log::logMessage(util::log::LogLevel::Warning,
                              "no notification area found; the icons appear when one starts.");
    else if (!waiting && hostMissing_)
        util::log::logMessage(util::log::LogLevel::Info,
                              "a notification area started; the icons are in it.");
    hostMissing_ = waiting;
}

void XEmbedTray::draw(Icon& icon) {
    icon.dirty = false;
    int width = std::max(1, icon.width);
    int height = std::max(1, icon.height);
    if (canvas_.width() != width || canvas_.height() != height)
        canvas_ = gui::Bitmap<gui::Pixel>(width, height, gui::Pixel{});
    PixelFormat target = format_;
    const auto pixelCount = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (icon.argb) {
        target.depth = 32;
        std::fill(canvas_.scanline(0), canvas_.scanline(0) + pixelCount, gui::Pixel{});
    } else {
        if (!icon.behindKnown || icon.behind.width() != width || icon.behind.height() != height)
            readBehind(icon, width, height);
        std::copy(icon.behind.scanline(0), icon.behind.scanline(0) + pixelCount,
                  canvas_.scanline(0));
    }
    const int left = (width - icon.drawn.width()) / 2;
    const int top = (height - icon.drawn.height()) / 2;
    const int firstX = std::max(0, -left);
    const int endX = std::min(icon.drawn.width(), width - left);
    // Most of a picture is its background over the host's: a pair blended once is reused.
    std::uint32_t lastUnder = 0;
    std::uint32_t lastOver = 0;
    gui::Pixel lastBlend{};
    bool blended = false;
    for (int y = std::max(0, -top); y < std::min(icon.drawn.height(), height - top); ++y) {
        const gui::Pixel* over = icon.drawn.scanline(y);
        gui::Pixel* row = canvas_.scanline(top + y);
        if (icon.argb) {
            std::copy(over + firstX, over + endX, row + left + firstX);
            continue;
        }
        for (int x = firstX; x < endX; ++x) {
            gui::Pixel& under = row[left + x];
            const auto pair = std::pair(std::bit_cast<std::uint32_t>(under),
                                        std::bit_cast<std::uint32_t>(over[x]));
            if (!blended || pair != std::pair(lastUnder, lastOver)) {
                const gui::Pixel& p = over[x];
                canvas_.blend(static_cast<std::size_t>(&under - canvas_.scanline(0)),
                              Colour(p.red, p.green, p.blue, p.alpha), 1.0f);
                std::tie(lastUnder, lastOver) = pair;
                lastBlend = under;
                blended = true;
            }
            under = lastBlend;
        }
    }
    GC gc = XCreateGC(display_, icon.window, 0, nullptr);
    icon.image.put(display_, icon.window, gc, target, canvas_, 0, 0);
    XFreeGC(display_, gc);
}

// What the host shows behind the icon, to lay the picture over. Reading it back costs a round
// trip to the server, so it is kept until the icon moves or the host redraws it: a host that
// changes its background exposes its icons.
void XEmbedTray::readBehind(Icon& icon, int width, int height) {
    if (icon.behind.width() != width || icon.behind.height() != height)
        icon.behind = gui::Bitmap<gui::Pixel>(width, height, gui::Pixel{});
    XClearWindow(display_, icon.window);
    XImage* behind = XGetImage(display_, icon.window, 0, 0, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), AllPlanes, ZPixmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            icon.behind.scanline(y)[x] =
                behind ? format_.unpack(static_cast<std::uint32_t>(XGetPixel(behind, x, y)))
                       : gui::Pixel{0, 0, 0, 255};
    if (behind != nullptr)
        XDestroyImage(behind);
    icon.behindKnown = behind != nullptr;
}

PanelClue XEmbedTray::panelClue() const {
    std::lock_guard lock(mutex_);
    auto docked =
        std::find_if(icons_.begin(), icons_.end(), [](const auto& icon) { return icon->embedded; });
    return {docked != icons_.end() ? (*docked)->window : 0, std::nullopt};
}

} // namespace platform::x11
