#pragma once

#include "platform/ScreenGeometry.h"

#include <optional>

namespace platform::sni {

// Where a host's click on an item was, for placing what it opens. The position a host sends is
// a hint: exact on xfce and KDE, relative to the icon's own widget on older waybar. The pointer
// wins when it is near the hint (an X11 host: the pointer is where the click was). A hint inside
// a widget's size from the origin is taken as relative: the icon is then somewhere unknown, and
// the top right corner, where such bars keep their tray, stands for it. Any other hint is kept
// on the screen.
Point placeClick(Point hint, Point pointer, const Rect& screen);

// Where a choice from the item's menu opens what it opens: a host sends no position with it. On
// an X server of its own the pointer is on the menu, by the icon. Under Xwayland (a Wayland
// session) the X pointer does not follow the mouse over the panel, which is no X window: the
// last click placed stands for the icon, or else the top right corner, where GNOME and waybar
// keep their tray.
Point placeMenuChoice(Point pointer, std::optional<Point> lastClick, const Rect& screen,
                      bool xwayland);

} // namespace platform::sni
