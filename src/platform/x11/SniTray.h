#pragma once

#include "platform/sni/HostWatch.h"
#include "platform/sni/SniItem.h"
#include "platform/x11/Tray.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace platform::x11 {

// The notification area through StatusNotifierItem hosts (KDE, GNOME's AppIndicator extension,
// xfce4-panel, waybar): one item on the session bus per icon. There is no hover: a click pins
// the icon's detail window, the menu offers "Show details" besides the context menu's items.
// Pictures may be set from any thread; the loop's thread sends them in refresh().
class SniTray final : public Tray {
public:
    // `pointer` tells where the mouse is and `screen` what it covers, to place what a click
    // opens; `menuOpening` tells an icon's owner that a host is about to show its menu.
    SniTray(std::function<Point()> pointer, std::function<Rect()> screen,
            std::function<void(WindowHandle owner)> menuOpening)
        : pointer_(std::move(pointer)), screen_(std::move(screen)),
          menuOpening_(std::move(menuOpening)) {}

    std::string_view name() const override { return "sni"; }
    const char* shownThrough() const override {
        return "the icons are shown through StatusNotifierItem.";
    }
    // Asks at once whether a host is there; false when the session bus cannot be reached.
    bool followHosts() override;
    // As last heard, and unless the watcher refused an item since it last changed; false when
    // hosts are not followed.
    bool hostPresent() const override;

    bool add(const TrayIconRequest& request) override;
    bool remove(WindowHandle owner, std::uint32_t identifier) override;
    // Without a smaller picture, one is made from the picture.
    PictureSet setPictures(WindowHandle owner, std::uint32_t identifier,
                           const gui::Bitmap<gui::Pixel>& picture,
                           const gui::Bitmap<gui::Pixel>* small) override;
    // Sent with the next pictures.
    void setTip(WindowHandle owner, std::uint32_t identifier, const std::string& tip) override;
    // Every item's menu, and the menus of items added later.
    void setMenuItemChecked(std::uint32_t command, bool checked) override;
    std::optional<gui::Bitmap<gui::Pixel>> latestPicture(WindowHandle owner,
                                                         std::uint32_t identifier) const override;
    // Icons are drawn at the larger size hosts use, and at the tray icons' own size beside it.
    static constexpr int pictureSide = 32;
    static constexpr int smallPictureSide = trayIconSize;
    int pictureSize(WindowHandle, std::uint32_t) const override { return pictureSide; }
    int smallPictureSize() const override { return smallPictureSide; }

    // The items' bus connections and the hosts' watch, for the loop's poll.
    void watch(std::vector<pollfd>& into) const override;
    int millisecondsToNextEvent() const override;
    // Takes the buses' work, then sends the new pictures.
    void refresh() override;
    std::vector<TrayEvent> takeEvents() override;
    // Where the last click that opened a detail window was: the panel is under it.
    PanelClue panelClue() const override { return {0, lastClick_}; }

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
    void process();
    void sendPictures();

    std::function<Point()> pointer_;
    std::function<Rect()> screen_;
    std::function<void(WindowHandle)> menuOpening_;
    std::map<std::uint32_t, bool> checked_; // the menu's check marks, by command
    mutable std::mutex mutex_;              // the new pictures, set from animation threads
    std::vector<std::unique_ptr<Icon>> icons_;
    std::vector<TrayEvent> events_;
    int itemsMade_ = 0;
    std::optional<Point> lastClick_;
    // A Wayland session's X server: its pointer does not follow the mouse over the panel.
    bool xwayland_ = std::getenv("WAYLAND_DISPLAY") != nullptr;
    std::unique_ptr<sni::HostWatch> hosts_;
    // The watcher's count of changes when it last refused an item: it shows none until then.
    std::optional<std::uint64_t> refusedAt_;
};

} // namespace platform::x11
