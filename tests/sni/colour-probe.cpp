// Prints the box "left top right bottom" of the screen's pixels of one colour, for tests that
// must click a picture some other program draws; exits 1 when no pixel has that colour. A band
// of rows limits the search to a panel when a window elsewhere shows the colour too.
// Usage: colour-probe RRGGBB [FIRST-ROW LAST-ROW]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    Display* display = argc == 2 || argc == 4 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr)
        return 2;
    const unsigned long wanted = std::strtoul(argv[1], nullptr, 16);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    const int first = argc == 4 ? std::max(0, std::atoi(argv[2])) : 0;
    const int last = argc == 4 ? std::min(height - 1, std::atoi(argv[3])) : height - 1;
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = first; image != nullptr && y <= last; ++y)
        for (int x = 0; x < width; ++x)
            if ((XGetPixel(image, x, y) & 0xffffff) == wanted) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    if (image != nullptr)
        XDestroyImage(image);
    XCloseDisplay(display);
    if (right < 0)
        return 1;
    std::printf("%d %d %d %d\n", left, top, right, bottom);
    return 0;
}
