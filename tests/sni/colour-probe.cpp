// Prints the box "left top right bottom" of the screen's pixels of one colour, for tests that
// must click a picture some other program draws; exits 1 when no pixel has that colour.
// Usage: colour-probe RRGGBB
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr)
        return 2;
    const unsigned long wanted = std::strtoul(argv[1], nullptr, 16);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; image != nullptr && y < height; ++y)
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
