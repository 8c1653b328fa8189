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
// polls descriptor() and calls process().
class SniItem {
public:
    struct Handlers {
        std::function<void(int x, int y)> activate;    // a click, or a double click on GNOME
        std::function<void(int x, int y)> contextMenu; // a host that asks the item for its menu
        std::function<void(std::uint32_t command)> command; // an item of the exported menu
    };

    // Nothing when the session bus cannot be reached or the name cannot be had.
    static std::unique_ptr<SniItem> open(int number, std::string id, DbusMenuLayout menu,
                                         Handlers handlers);
    ~SniItem();

    SniItem(const SniItem&) = delete;
    SniItem& operator=(const SniItem&) = delete;

    // Asks the watcher to show the item; the answer comes later, through process().
    void registerWithWatcher();
    // The picture at 16 x 16 and at 32 x 32; hosts scale what they get, so both go.
    void setPictures(const gui::Bitmap<gui::Pixel>& small, const gui::Bitmap<gui::Pixel>& large);
    // Sends NewToolTip only when the text changed.
    void setTip(const std::string& text);

    // The item's own connection, for the loop to poll and process.
    BusConnection& bus() { return bus_; }

    const std::string& busName() const { return name_; }

private:
    SniItem(std::string name, std::string id, DbusMenuLayout menu, Handlers handlers);

    friend struct SniCallbacks;

    BusConnection bus_;
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
    std::uint32_t menuRevision_ = 1;
    sd_bus_slot* itemSlot_ = nullptr;
    sd_bus_slot* menuSlot_ = nullptr;
    sd_bus_slot* registration_ = nullptr;
    sd_bus_slot* ownerSlot_ = nullptr; // hears a watcher start
    sd_bus_slot* hostSlot_ = nullptr;  // hears a host register
};

} // namespace platform::sni
