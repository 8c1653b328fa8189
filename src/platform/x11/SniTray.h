#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"
#include "platform/sni/HostWatch.h"
#include "platform/sni/SniItem.h"
#include "platform/x11/X11Tray.h"

#include <cstdlib>
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
    // `pointer` tells where the mouse is and `screen` what it covers, to place what a click
    // opens.
    SniTray(std::function<Point()> pointer, std::function<Rect()> screen)
        : pointer_(std::move(pointer)), screen_(std::move(screen)) {}

    // Starts following whether a host is there to show items, asking at once; false when the
    // session bus cannot be reached.
    bool followHosts();
    // As last heard; false when hosts are not followed.
    bool hostPresent() const { return hosts_ != nullptr && hosts_->hostPresent(); }

    bool add(const TrayIconRequest& request);
    X11Tray::PictureSet setPicture(WindowHandle owner, std::uint32_t identifier,
                                   const gui::Bitmap<gui::Pixel>& picture);
    // The picture and a smaller one drawn at its own size for hosts that pick the smaller.
    X11Tray::PictureSet setPictures(WindowHandle owner, std::uint32_t identifier,
                                    const gui::Bitmap<gui::Pixel>& picture,
                                    const gui::Bitmap<gui::Pixel>& small);
    // The newest picture set, to move the icon to another tray; on the loop's thread.
    std::optional<gui::Bitmap<gui::Pixel>> latestPicture(WindowHandle owner,
                                                         std::uint32_t identifier) const;
    bool remove(WindowHandle owner, std::uint32_t identifier);
    // From any thread; sent with the next pictures.
    void setTip(WindowHandle owner, std::uint32_t identifier, const std::string& tip);
    // Icons are drawn at the larger size hosts use, and at the tray icons' own size beside it.
    static constexpr int pictureSide = 32;
    static constexpr int smallPictureSide = trayIconSize;

    // Sends the new pictures; on the loop's thread.
    void refresh();
    std::vector<TrayEvent> takeEvents();

    // The items' bus connections and the hosts' watch, for the loop's poll: watch() appends
    // them, process() takes their work after the poll.
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
        // The newest pictures set, under the lock, and the ones sent.
        gui::Bitmap<gui::Pixel> picture{pictureSide, pictureSide, gui::Pixel{}};
        bool newPicture = false;
        gui::Bitmap<gui::Pixel> smallPicture{smallPictureSide, smallPictureSide, gui::Pixel{}};
        bool newSmall = false;
        std::string tip;
        bool newTip = false;
        gui::Bitmap<gui::Pixel> large{pictureSide, pictureSide, gui::Pixel{}};
        gui::Bitmap<gui::Pixel> small{smallPictureSide, smallPictureSide, gui::Pixel{}};
    };

    void post(const Icon& icon, std::uint32_t event, Point at);
    Icon* find(WindowHandle owner, std::uint32_t identifier) const;

    std::function<Point()> pointer_;
    std::function<Rect()> screen_;
    mutable std::mutex mutex_; // the new pictures, set from animation threads
    std::vector<std::unique_ptr<Icon>> icons_;
    std::vector<TrayEvent> events_;
    int itemsMade_ = 0;
    std::optional<Point> lastClick_;
    // A Wayland session's X server: its pointer does not follow the mouse over the panel.
    bool xwayland_ = std::getenv("WAYLAND_DISPLAY") != nullptr;
    std::unique_ptr<sni::HostWatch> hosts_;
};

} // namespace platform::x11
