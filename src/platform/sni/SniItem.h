#pragma once

#include "pixels/Bitmap.h"
#include "platform/sni/BusConnection.h"
#include "platform/sni/DbusMenuLayout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::sni {

// One tray icon shown by a StatusNotifierItem host. Each item has its own connection to the
// session bus, named org.kde.StatusNotifierItem-<pid>-<n>, since a host shows only the first
// item of a connection that exports two. The item lives at /StatusNotifierItem and its menu, in
// the com.canonical.dbusmenu protocol, at /MenuBar. Only the loop's thread uses it: the loop
// polls descriptor() and calls process(). A connection the bus closes is made again, and the
// item registers anew on it.
class SniItem {
public:
    struct Handlers {
        std::function<void(int x, int y)> activate;    // a click, or a double click on GNOME
        std::function<void(int x, int y)> contextMenu; // a host that asks the item for its menu
        std::function<void(std::uint32_t command)> command; // an item of the exported menu
        std::function<void()> refused;     // the watcher refused to register the item
        std::function<void()> aboutToShow; // a host is about to show the menu
    };

    // Nothing when the session bus cannot be reached or the name cannot be had.
    static std::unique_ptr<SniItem> open(int number, std::string id, DbusMenuLayout menu,
                                         Handlers handlers);
    ~SniItem();

    SniItem(const SniItem&) = delete;
    SniItem& operator=(const SniItem&) = delete;

    // Asks the watcher to show the item, now and on every new connection; the answer comes
    // later, through process().
    void registerWithWatcher();
    // The picture at 16 x 16 and at 32 x 32; hosts scale what they get, so both go. Sends
    // NewIcon only when either differs from the last.
    void setPictures(const gui::Bitmap<gui::Pixel>& small, const gui::Bitmap<gui::Pixel>& large);
    // Shows or clears the check mark of the menu's check items with that command; a change
    // gives the menu a new revision, which hosts are told of.
    void setChecked(std::uint32_t command, bool checked);
    // Sends NewToolTip only when the text changed.
    void setTip(const std::string& text);

    // The item's own connection, for the loop to poll and process.
    BusConnection& bus() { return bus_; }

    const std::string& busName() const { return name_; }

private:
    SniItem(std::string name, std::string id, DbusMenuLayout menu, Handlers handlers);
    // Takes the item's name and exports it on a new connection, and registers it.
    bool attach(sd_bus* bus);

    friend struct SniCallbacks;

    std::string name_;
    std::string id_;
    DbusMenuLayout menu_;
    Handlers handlers_;
    std::string tip_;
    struct Pixmap {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> argb;
    };
    Pixmap pixmaps_[2];
    std::vector<std::uint8_t> converted_; // the newest picture, before it is compared
    std::uint32_t menuRevision_ = 1;
    bool shown_ = false; // asked to register, and to again on a new connection
    // Said once each, whatever a peer repeats: a refusal until a registration succeeds, and an
    // oversized request for the connection's life.
    bool refusalLogged_ = false;
    bool oversizeLogged_ = false;
    BusConnection bus_; // last: it ends before what its call-backs use
};

} // namespace platform::sni
