#include "platform/x11/X11Menu.h"

#include "platform/Text.h"
#include "platform/x11/X11WindowNames.h"

#include <algorithm>

namespace platform::x11 {

namespace {

constexpr int itemHeight = 22;
constexpr int separatorHeight = 9;
constexpr int padding = 12;
constexpr int checkColumn = 24; // the text starts after the room for a check mark
const TextStyle itemText{"Tahoma", 9.0f, Colour(20, 20, 20, 255)};
const TextStyle chosenText{"Tahoma", 9.0f, Colour(255, 255, 255, 255)};
const Colour separatorColour(190, 190, 190, 255);

// The item text as shown: '&' marks the access key and is not drawn itself.
std::string shown(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != '&' || (i + 1 < text.size() && text[i + 1] == '&' && ++i))
            result += text[i];
    return result;
}

void fill(gui::Bitmap<gui::Pixel>& bitmap, int top, int height, gui::Pixel colour) {
    for (int y = std::max(0, top); y < std::min(bitmap.height(), top + height); ++y)
        std::fill(bitmap.scanline(y), bitmap.scanline(y) + bitmap.width(), colour);
}

int heightOf(const MenuItem& item) {
    return item.kind == MenuItemKind::Separator ? separatorHeight : itemHeight;
}

// A tick in the room left of the text, two pixels thick.
void drawCheckMark(gui::Bitmap<gui::Pixel>& bitmap, int top, const Colour& colour) {
    const int middle = top + itemHeight / 2;
    for (int thickness = 0; thickness < 2; ++thickness) {
        bitmap.drawLine(7, middle + thickness, colour, 10, middle + 3 + thickness, colour);
        bitmap.drawLine(10, middle + 3 + thickness, colour, 16, middle - 4 + thickness, colour);
    }
}

} // namespace

X11Menu::X11Menu(Display* display, int screen, const PixelFormat& format)
    : display_(display), screen_(screen), format_(format) {}

void X11Menu::open(const MenuResource& menu, Point at, WindowHandle owner, const Rect& screen) {
    close();
    menu_ = menu;
    owner_ = owner;
    hovered_ = -1;
    width_ = 120;
    int height = 2;
    for (const MenuItem& item : menu_.items) {
        width_ = std::max(width_, static_cast<int>(measureText(shown(item.text), itemText).width) +
                                      checkColumn + padding);
        height += heightOf(item);
    }
    // Open towards the inside of the screen, as a menu at the tray does.
    int x = at.x + width_ > screen.right ? at.x - width_ : at.x;
    int y = at.y + height > screen.bottom ? at.y - height : at.y;
    if (window_ == 0) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask =
            ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
        window_ = XCreateWindow(display_, RootWindow(display_, screen_), x, y,
                                static_cast<unsigned>(width_), static_cast<unsigned>(height), 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWEventMask, &attributes);
        writeWindowIdentity(display_, window_);
        writeWindowDescription(display_, window_, {"PakVue menu", WindowRole::Menu});
    }
    XMoveResizeWindow(display_, window_, x, y, static_cast<unsigned>(width_),
                      static_cast<unsigned>(height));
    XMapRaised(display_, window_);
    canvas_ = gui::Bitmap<gui::Pixel>(width_, height, gui::Pixel{});
    XGrabPointer(display_, window_, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    draw();
}

void X11Menu::close() {
    if (window_ == 0 || owner_ == nullptr)
        return;
    XUngrabPointer(display_, CurrentTime);
    XUnmapWindow(display_, window_);
    owner_ = nullptr;
}

// The item under a point of the menu, or -1 where there is none or a separator.
int X11Menu::itemAt(int x, int y) const {
    if (x < 0 || x >= width_)
        return -1;
    int top = 1;
    for (int i = 0; i < static_cast<int>(menu_.items.size()); ++i) {
        const MenuItem& item = menu_.items[static_cast<std::size_t>(i)];
        if (y >= top && y < top + heightOf(item))
            return item.kind == MenuItemKind::Separator ? -1 : i;
        top += heightOf(item);
    }
    return -1;
}

void X11Menu::draw() {
    fill(canvas_, 0, canvas_.height(), {240, 240, 240, 255});
    int top = 1;
    for (int i = 0; i < static_cast<int>(menu_.items.size()); ++i) {
        const MenuItem& item = menu_.items[static_cast<std::size_t>(i)];
        if (item.kind == MenuItemKind::Separator) {
            canvas_.drawLine(4, top + separatorHeight / 2, separatorColour, width_ - 5,
                             top + separatorHeight / 2, separatorColour);
        } else {
            if (i == hovered_)
                fill(canvas_, top, itemHeight, {0, 120, 215, 255});
            const TextStyle& style = i == hovered_ ? chosenText : itemText;
            if (item.checked)
                drawCheckMark(canvas_, top, style.colour);
            drawText(canvas_, shown(item.text), style,
                     {checkColumn, top + 4, width_ - checkColumn - padding, itemHeight - 4},
                     TextAlignment::Near);
        }
        top += heightOf(item);
    }
    image_.put(display_, window_, DefaultGC(display_, screen_), format_, canvas_, 0, 0);
}

bool X11Menu::handles(const XEvent& event, Desktop& desktop) {
    if (window_ == 0 || event.xany.window != window_)
        return false;
    switch (event.type) {
    case Expose:
        draw();
        break;
    case MotionNotify:
        if (int item = itemAt(event.xmotion.x, event.xmotion.y); item != hovered_) {
            hovered_ = item;
            draw();
        }
        break;
    case ButtonPress:
        if (itemAt(event.xbutton.x, event.xbutton.y) < 0)
            close(); // a press outside the menu dismisses it
        break;
    case ButtonRelease:
        if (int item = itemAt(event.xbutton.x, event.xbutton.y); item >= 0 && owner_ != nullptr) {
            std::uint32_t command = menu_.items[static_cast<std::size_t>(item)].command;
            desktop.postMessage(owner_, WM_COMMAND, makeWParam(static_cast<int>(command), 0), 0);
            close();
        }
        break;
    default:
        break;
    }
    return true;
}

} // namespace platform::x11
