// Another X client doing what any client may: sending made-up events to PakVue's windows and
// writing properties of unexpected formats where PakVue reads them.
//   hostile-client configure <window> <width> <height>   a synthetic ConfigureNotify
//   hostile-client property root|manager <name> <type>    <name> as four bytes of format 8
//   hostile-client tray                                    a tray host that takes the selection,
//                                                          hears one dock request and ends
//                                                          without taking the icon
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

int trayThatDiesMidDock(Display* display) {
    const Window root = DefaultRootWindow(display);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    const Atom opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    const Window host = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, host, CurrentTime);
    if (XGetSelectionOwner(display, selection) != host)
        return 1;
    XEvent announcement{};
    announcement.xclient.type = ClientMessage;
    announcement.xclient.window = root;
    announcement.xclient.message_type = XInternAtom(display, "MANAGER", False);
    announcement.xclient.format = 32;
    announcement.xclient.data.l[0] = CurrentTime;
    announcement.xclient.data.l[1] = static_cast<long>(selection);
    announcement.xclient.data.l[2] = static_cast<long>(host);
    XSendEvent(display, root, False, StructureNotifyMask, &announcement);
    std::puts("ready");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == opcode &&
            event.xclient.data.l[1] == 0) {
            std::printf("asked to dock 0x%lx\n",
                        static_cast<unsigned long>(event.xclient.data.l[2]));
            return 0;
        }
    }
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
    else if (argc == 2 && std::strcmp(argv[1], "tray") == 0)
        result = trayThatDiesMidDock(display);
    else
        std::fprintf(stderr, "usage: hostile-client configure <window> <w> <h> | "
                             "property root|manager <name> <type> | tray\n");
    XCloseDisplay(display);
    return result;
}
