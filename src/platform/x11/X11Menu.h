#pragma once

#include "platform/Desktop.h"
#include "platform/Resources.h"
#include "platform/x11/X11Pixels.h"

#include <X11/Xlib.h>

namespace platform::x11 {

// The context menu: a small pop-up that holds the pointer while it is open. Choosing an item
// posts WM_COMMAND to the owner; a press anywhere else closes it. Its window lives as long as
// the connection.
class X11Menu {
public:
    X11Menu(Display* display, int screen, const PixelFormat& format);
    X11Menu(const X11Menu&) = delete;
    X11Menu& operator=(const X11Menu&) = delete;

    void open(const MenuResource& menu, Point at, WindowHandle owner, const Rect& screen);
    // True when the event belongs to the menu.
    bool handles(const XEvent& event, Desktop& desktop);

private:
    void close();
    void draw();
    int itemAt(int x, int y) const;

    Display* display_;
    int screen_;
    PixelFormat format_;
    ::Window window_ = 0;
    MenuResource menu_;
    WindowHandle owner_ = nullptr;
    int width_ = 0;
    int hovered_ = -1;
    gui::Bitmap<gui::Pixel> canvas_{0, 0, gui::Pixel{}};
    ImageBuffer image_;
};

} // namespace platform::x11
