#include "platform/x11/X11WindowNames.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <climits>
#include <unistd.h>

namespace platform::x11 {

namespace {

// The atoms a description writes, interned in one request.
enum Name {
    Utf8,
    NetName,
    Type,
    Tooltip,
    Utility,
    PopupMenu,
    State,
    SkipTaskbar,
    SkipPager,
    Count
};

constexpr const char* names[Count] = {
    "UTF8_STRING",
    "_NET_WM_NAME",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_TOOLTIP",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_STATE",
    "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_SKIP_PAGER",
};

Atom typeOf(const Atom (&atoms)[Count], WindowRole role) {
    switch (role) {
    case WindowRole::Pinned:
        return atoms[Utility];
    case WindowRole::Menu:
        return atoms[PopupMenu];
    default:
        return atoms[Tooltip];
    }
}

void setAtoms(Display* display, ::Window window, Atom property, const Atom* values, int count) {
    XChangeProperty(display, window, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values), count);
}

} // namespace

void writeWindowIdentity(Display* display, ::Window window) {
    char instance[] = "pakvue";
    char name[] = "PakVue";
    XClassHint hint{instance, name};
    XSetClassHint(display, window, &hint);
    // A process number means something only with the host it runs on.
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        char* hosts[] = {host};
        XTextProperty machine{};
        if (XStringListToTextProperty(hosts, 1, &machine) != 0) {
            XSetWMClientMachine(display, window, &machine);
            XFree(machine.value);
        }
    }
    const long pid = static_cast<long>(getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
}

void writeWindowDescription(Display* display, ::Window window,
                            const WindowDescription& description) {
    Atom atoms[Count] = {};
    XInternAtoms(display, const_cast<char**>(names), Count, False, atoms);
    // WM_NAME is Latin-1, so the graphs' names go in UTF-8 as well.
    XStoreName(display, window, description.title.c_str());
    XChangeProperty(display, window, atoms[NetName], atoms[Utf8], 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(description.title.data()),
                    static_cast<int>(description.title.size()));
    const Atom type = typeOf(atoms, description.role);
    setAtoms(display, window, atoms[Type], &type, 1);
    const Atom state[] = {atoms[SkipTaskbar], atoms[SkipPager]};
    setAtoms(display, window, atoms[State], state, 2);
}

} // namespace platform::x11
