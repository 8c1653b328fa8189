#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"

#include <X11/Xlib.h>
#include <cstdint>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <vector>

namespace platform::x11 {

// A tray call-back due for an owner window.
struct TrayEvent {
    WindowHandle owner;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
};

// What a tray says after a new picture is set.
struct PictureSet {
    bool known;               // the icon exists
    bool everyIconHasANewOne; // none of the other icons still shows its last picture
};

// Where the panel holding the icons is to be looked for: the window of an icon inside it, or
// the position of the last click on an icon the panel draws itself.
struct PanelClue {
    ::Window inside = 0;
    std::optional<Point> click;
};

// One kind of notification area on an X11 desktop. The desktop shows its icons through one kind
// at a time and moves them when another kind's host comes or its own goes (ActiveTray); every
// kind keeps following its hosts meanwhile. Icons are added, removed and refreshed on the loop's
// thread; pictures and tips may be set from any thread.
class Tray {
public:
    virtual ~Tray() = default;

    // The word PAKVUE_TRAY names the kind by, and the log's line when the icons go to it.
    virtual std::string_view name() const = 0;
    virtual const char* shownThrough() const = 0;
    // Starts following whether a host is there; false when the kind cannot be had at all.
    virtual bool followHosts() { return true; }
    // As last heard, on the loop's thread.
    virtual bool hostPresent() const = 0;

    virtual bool add(const TrayIconRequest& request) = 0;
    virtual bool remove(WindowHandle owner, std::uint32_t identifier) = 0;
    // The picture, and a smaller one drawn at its own size for trays that pick the nearer.
    virtual PictureSet setPictures(WindowHandle owner, std::uint32_t identifier,
                                   const gui::Bitmap<gui::Pixel>& picture,
                                   const gui::Bitmap<gui::Pixel>* small) = 0;
    // A tip that says more than the first; only kinds that show tips of their own take it.
    virtual void setTip(WindowHandle, std::uint32_t, const std::string&) {}
    // A check mark of the context menu, for kinds that show the menu themselves; on the loop's
    // thread.
    virtual void setMenuItemChecked(std::uint32_t, bool) {}
    // The newest picture set, to move the icon to another kind; on the loop's thread.
    virtual std::optional<gui::Bitmap<gui::Pixel>>
    latestPicture(WindowHandle owner, std::uint32_t identifier) const = 0;
    virtual int pictureSize(WindowHandle owner, std::uint32_t identifier) const = 0;
    virtual int smallPictureSize() const { return 0; }

    // The loop: an X event the kind takes, the descriptors it waits on besides the X
    // connection, how long it may sleep, and after the poll its work and its call-backs.
    virtual bool handles(const XEvent&) { return false; }
    virtual void watch(std::vector<pollfd>&) const {}
    virtual int millisecondsToNextEvent() const = 0;
    virtual void refresh() = 0;
    virtual std::vector<TrayEvent> takeEvents() = 0;
    virtual PanelClue panelClue() const = 0;
};

// Stores a new picture for the icon among `icons` that has the owner and identifier, and says
// whether every icon now has one it has not shown. The caller holds the icons' lock.
template <typename Icons>
PictureSet storePicture(Icons& icons, WindowHandle owner, std::uint32_t identifier,
                        const gui::Bitmap<gui::Pixel>& picture) {
    PictureSet set{false, true};
    for (const auto& icon : icons) {
        if (icon->owner == owner && icon->identifier == identifier) {
            icon->picture = picture;
            icon->newPicture = true;
            set.known = true;
        }
        set.everyIconHasANewOne = set.everyIconHasANewOne && icon->newPicture;
    }
    return set;
}

} // namespace platform::x11
