#pragma once

#include "platform/ScreenGeometry.h"

namespace platform::sni {

// Where a host's click on an item was, for placing what it opens. The position a host sends is
// a hint: exact on xfce and KDE, relative to the icon's own widget on older waybar. The pointer
// wins when it is near the hint (an X11 host: the pointer is where the click was). A hint inside
// a widget's size from the origin is taken as relative: the icon is then somewhere unknown, and
// the top right corner, where such bars keep their tray, stands for it. Any other hint is kept
// on the screen.
Point placeClick(Point hint, Point pointer, const Rect& screen);

} // namespace platform::sni
