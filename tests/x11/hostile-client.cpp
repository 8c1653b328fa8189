// Another X client doing what any client may: sending made-up events to PakVue's windows and
// writing properties of unexpected formats where PakVue reads them.
//   hostile-client configure <window> <width> <height>   a synthetic ConfigureNotify
//   hostile-client property root|manager <name> <type>    <name> as four bytes of format 8
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int configure(Display* display, Window window, int width, int height) {
    XEvent event{};
    event.xconfigure.type = ConfigureNotify;
    event.xconfigure.event = window;
    event.xconfigure.window = window;
    event.xconfigure.width = width;
    event.xconfigure.height = height;
    return XSendEvent(display, window, False, StructureNotifyMask, &event) != 0 ? 0 : 1;
}

Window target(Display* display, const char* which) {
    if (std::strcmp(which, "root") == 0)
        return DefaultRootWindow(display);
    std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
}

int property(Display* display, Window window, const char* name, const char* type) {
    if (window == None)
        return 1;
    const unsigned char bytes[4] = {1, 2, 3, 4};
    XChangeProperty(display, window, XInternAtom(display, name, False),
                    XInternAtom(display, type, False), 8, PropModeReplace, bytes, 4);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 2;
    int result = 2;
    if (argc == 5 && std::strcmp(argv[1], "configure") == 0)
        result = configure(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)),
                           std::atoi(argv[3]), std::atoi(argv[4]));
    else if (argc == 5 && std::strcmp(argv[1], "property") == 0)
        result = property(display, target(display, argv[2]), argv[3], argv[4]);
    else
        std::fprintf(stderr, "usage: hostile-client configure <window> <w> <h> | "
                             "property root|manager <name> <type>\n");
    XCloseDisplay(display);
    return result;
}
