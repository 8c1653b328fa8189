#pragma once

#include "platform/Desktop.h"

// Geometry rules that desktops without the system's own window manager keep the same way.
namespace platform {

// Where a new window goes: a position or size left to the desktop (CW_USEDEFAULT) is 0.
Rect creationBounds(const WindowCreation& creation);

// A rectangle whose right and bottom do not lie before its left and top.
Rect normalised(const Rect& bounds);

// Tells a window that it moved or changed size, as the system does after a move.
void sendGeometryChanges(Desktop& desktop, WindowHandle window, const Rect& before,
                         const Rect& after);

} // namespace platform
