#pragma once

#include "platform/Desktop.h"

#include <X11/Xlib.h>

// What task lists, compositors and window rules read of a window: who it belongs to, its name
// and what kind of window it is. PakVue's pop-ups place themselves, so the window manager
// leaves them alone; the rest of the desktop still reads these.
namespace platform::x11 {

// WM_CLASS "pakvue", "PakVue", and the process and host it runs on.
void writeWindowIdentity(Display* display, ::Window window);
// WM_NAME and _NET_WM_NAME, the window type for the role, and no place in task lists.
void writeWindowDescription(Display* display, ::Window window,
                            const WindowDescription& description);

} // namespace platform::x11
