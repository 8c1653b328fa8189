// The X11 desktop's shell queries: the pointer, the monitors and the panel that holds the tray.
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XftDpi.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <climits>

namespace platform::x11 {

namespace {

// The desktop-level ancestor of a window: the child of the root that contains it.
::Window topLevelOf(Display* display, ::Window window) {
    for (;;) {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0)
            return 0;
        if (children != nullptr)
            XFree(children);
        if (parent == root || parent == 0)
            return window;
        window = parent;
    }
}

// The screen edge a panel of these bounds sits on: the one it touches, horizontal edges first
// (a tray host sized to its icons may touch two); else the nearer end of its longer side.
std::uint32_t edgeOf(const Rect& panel, const Rect& screen) {
    if (panel.bottom >= screen.bottom)
        return ABE_BOTTOM;
    if (panel.top <= screen.top)
        return ABE_TOP;
    if (panel.left <= screen.left)
        return ABE_LEFT;
    if (panel.right >= screen.right)
        return ABE_RIGHT;
    if (panel.width() >= panel.height())
        return panel.top + panel.height() / 2 < screen.height() / 2 ? ABE_TOP : ABE_BOTTOM;
    return panel.left + panel.width() / 2 < screen.width() / 2 ? ABE_LEFT : ABE_RIGHT;
}

// How thick a panel that is no X window is taken to be, at 96 DPI: GNOME's top bar, waybar and
// KDE's panel are 30 to 44 pixels.
constexpr int assumedPanelThickness = 48;

// A panel that is no X window (a Wayland panel under Xwayland, or a position a host made up)
// runs along the edge nearest the click and is as thick as panels commonly are, so that what
// opens beside it does not open under it.
Taskbar panelAround(Point click, const Rect& screen, int thickness) {
    Rect panel{click.x, click.y, click.x + 1, click.y + 1};
    const std::uint32_t edge = edgeOf(panel, screen);
    if (edge == ABE_TOP)
        panel = {panel.left, screen.top, panel.right,
                 std::max(panel.bottom, screen.top + thickness)};
    else if (edge == ABE_BOTTOM)
        panel = {panel.left, std::min(panel.top, screen.bottom - thickness), panel.right,
                 screen.bottom};
    else if (edge == ABE_LEFT)
        panel = {screen.left, panel.top, std::max(panel.right, screen.left + thickness),
                 panel.bottom};
    else
        panel = {std::min(panel.left, screen.right - thickness), panel.top, screen.right,
                 panel.bottom};
    return {panel, edge};
}

// The strip between the work area and the screen's edge, on the first side where there is one.
std::optional<Taskbar> stripOutside(const Rect& work, const Rect& screen) {
    if (work.bottom < screen.bottom)
        return Taskbar{{screen.left, work.bottom, screen.right, screen.bottom}, ABE_BOTTOM};
    if (work.top > screen.top)
        return Taskbar{{screen.left, screen.top, screen.right, work.top}, ABE_TOP};
    if (work.left > screen.left)
        return Taskbar{{screen.left, screen.top, work.left, screen.bottom}, ABE_LEFT};
    if (work.right < screen.right)
        return Taskbar{{work.right, screen.top, screen.right, screen.bottom}, ABE_RIGHT};
    return std::nullopt;
}

} // namespace

Point X11Desktop::cursorPosition() const {
    if (lost_)
        return {};
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
            lost_ ? nullptr
                  : XRRGetMonitors(display_, RootWindow(display_, screen_), True, &count)) {
        for (int i = 0; i < count; ++i)
            result.push_back(
                {list[i].x, list[i].y, list[i].x + list[i].width, list[i].y + list[i].height});
        XRRFreeMonitors(list);
    }
    if (result.empty())
        result.push_back(screen());
    return result;
}

// The panel that holds the tray: from the work area the window manager reserves, else the tray
// host's own window.
std::optional<Taskbar> X11Desktop::taskbar() const {
    if (lost_)
        return std::nullopt;
    Rect whole = screen();
    if (std::optional<Taskbar> panel = panelFromWorkArea(whole))
        return panel;
    return panelOfTrayHost(whole);
}

std::optional<Taskbar> X11Desktop::panelFromWorkArea(const Rect& screen) const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<Taskbar> result;
    if (XGetWindowProperty(display_, RootWindow(display_, screen_), workArea_, 0, 4, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && type == XA_CARDINAL && format == 32 && count == 4) {
        const auto* area = reinterpret_cast<const long*>(data);
        result =
            stripOutside({static_cast<int>(area[0]), static_cast<int>(area[1]),
                          static_cast<int>(area[0] + area[2]), static_cast<int>(area[1] + area[3])},
                         screen);
    }
    if (data != nullptr)
        XFree(data);
    return result;
}

// The tray host's panel is the top-level window the docked icons sit in; a host that draws
// the icons itself does so in the window that was clicked.
std::optional<Taskbar> X11Desktop::panelOfTrayHost(const Rect& screen) const {
    const PanelClue clue = tray_->panelClue();
    ::Window panel = 0;
    if (clue.click)
        panel = topLevelAt(*clue.click);
    else if (clue.inside != 0)
        panel = topLevelOf(display_, clue.inside);
    if (panel == 0 && clue.click)
        return panelAround(*clue.click, screen,
                           Scale(monitorDpi(*clue.click)).scaled(assumedPanelThickness));
    XWindowAttributes attributes{};
    if (panel == 0 || XGetWindowAttributes(display_, panel, &attributes) == 0)
        return std::nullopt;
    Rect bounds{attributes.x, attributes.y, attributes.x + attributes.width,
                attributes.y + attributes.height};
    return Taskbar{bounds, edgeOf(bounds, screen)};
}

::Window X11Desktop::topLevelAt(Point point) const {
    ::Window root = RootWindow(display_, screen_);
    ::Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(display_, root, root, point.x, point.y, &x, &y, &child);
    return child;
}

// Scaling: desktops write their scale into the resource database as Xft.dpi, for the font
// renderers; the rest of the screen scales by the same factor.
int X11Desktop::resourceDpi() const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<int> dpi;
    if (XGetWindowProperty(display_, RootWindow(display_, screen_), resourceManager_, 0,
                           LONG_MAX / 4, False, XA_STRING, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && type == XA_STRING && format == 8)
        dpi = xftDpiOf({reinterpret_cast<const char*>(data), count});
    if (data != nullptr)
        XFree(data);
    return dpi.value_or(standardDpi);
}

} // namespace platform::x11
