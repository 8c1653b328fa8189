#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"
#include "platform/sni/SniItem.h"
#include "platform/x11/X11Tray.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>

namespace platform::x11 {

// The notification area through StatusNotifierItem hosts (KDE, GNOME's AppIndicator extension,
// xfce4-panel, waybar): one item on the session bus per icon. There is no hover: a click pins
// the icon's detail window, the menu offers "Show details" besides the context menu's items.
// Pictures may be set from any thread; the loop's thread sends them in refresh().
class SniTray {
public:
    // `pointer` tells where the mouse is, to place what a click opens.
    explicit SniTray(std::function<Point()> pointer) : pointer_(std::move(pointer)) {}

    // Whether a StatusNotifierItem host is there to show items now.
    static bool hostAvailable();

    bool add(const TrayIconRequest& request);
    X11Tray::PictureSet setPicture(WindowHandle owner, std::uint32_t identifier,
                                   const gui::Bitmap<gui::Pixel>& picture);
    bool remove(WindowHandle owner, std::uint32_t identifier);
    // From any thread; sent with the next pictures.
    void setTip(WindowHandle owner, std::uint32_t identifier, const std::string& tip);
    // Icons are drawn at the larger size hosts use; the smaller is made from it.
    static constexpr int pictureSide = 32;

    // Sends the new pictures; on the loop's thread.
    void refresh();
    std::vector<TrayEvent> takeEvents();

    // The items' bus connections, for the loop's poll: watch() appends them, process() takes
    // their work after the poll.
    void watch(std::vector<pollfd>& into) const;
    int millisecondsToNextEvent() const;
    void process();

    // Where the last click that opened a detail window was, on the loop's thread.
    std::optional<Point> lastClick() const { return lastClick_; }

private:
    struct Icon {
        WindowHandle owner;
        std::uint32_t identifier;
        std::uint32_t callback;
        std::unique_ptr<sni::SniItem> item;
        gui::Bitmap<gui::Pixel> picture{pictureSide, pictureSide, gui::Pixel{}};
        bool newPicture = false;
        std::string tip;
        bool newTip = false;
        gui::Bitmap<gui::Pixel> large{pictureSide, pictureSide, gui::Pixel{}};
        gui::Bitmap<gui::Pixel> small{pictureSide / 2, pictureSide / 2, gui::Pixel{}};
    };

    void post(const Icon& icon, std::uint32_t event, Point at);
    Point near(Point hint) const;
    Icon* find(WindowHandle owner, std::uint32_t identifier);

    std::function<Point()> pointer_;
    mutable std::mutex mutex_; // the new pictures, set from animation threads
    std::vector<std::unique_ptr<Icon>> icons_;
    std::vector<TrayEvent> events_;
    int itemsMade_ = 0;
    std::optional<Point> lastClick_;
};

} // namespace platform::x11
