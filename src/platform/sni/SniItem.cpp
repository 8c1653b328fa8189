#include "platform/sni/SniItem.h"

#include "platform/sni/SniPixmap.h"
#include "platform/sni/WatcherSignals.h"
#include "util/log/AppLog.h"
#include "util/log/LogText.h"

#include <algorithm>
#include <span>
#include <unistd.h>
#include <utility>

namespace platform::sni {

namespace {

constexpr const char* itemPath = "/StatusNotifierItem";
constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
constexpr const char* menuPath = "/MenuBar";
constexpr const char* menuInterface = "com.canonical.dbusmenu";

// At version 3 and above hosts switch to the group calls; 2 keeps them on GetLayout and Event.
constexpr std::uint32_t menuVersion = 2;

// More ids than any menu has, and than any host asks for at once; a longer list is refused
// rather than read, whatever it repeats.
constexpr std::size_t mostIdsAsked = 1024;

int appendString(sd_bus_message* reply, const char* text) {
    return sd_bus_message_append(reply, "s", text);
}

int appendEntryProperties(sd_bus_message* m, const DbusMenuLayout::Entry& entry) {
    if (entry.kind == MenuItemKind::Separator)
        return sd_bus_message_append(m, "{sv}{sv}", "type", "s", "separator", "visible", "b", 1);
    int r = sd_bus_message_append(m, "{sv}{sv}{sv}", "label", "s", entry.label.c_str(), "enabled",
                                  "b", 1, "visible", "b", 1);
    if (r >= 0 && entry.kind == MenuItemKind::Check)
        r = sd_bus_message_append(m, "{sv}{sv}", "toggle-type", "s", "checkmark", "toggle-state",
                                  "i", entry.checked ? 1 : 0);
    return r;
}

// One menu entry's properties, as a{sv}; the root shows its children as a submenu.
int appendProperties(sd_bus_message* m, const DbusMenuLayout::Entry* entry) {
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    if (r < 0)
        return r;
    if (entry == nullptr)
        r = sd_bus_message_append(m, "{sv}", "children-display", "s", "submenu");
    else
        r = appendEntryProperties(m, *entry);
    return r < 0 ? r : sd_bus_message_close_container(m);
}

// Closes the reply's outer container and sends it, unless an earlier step failed; frees it.
int closeAndSend(sd_bus_message* reply, int r) {
    if (r >= 0)
        r = sd_bus_message_close_container(reply);
    if (r >= 0)
        r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

int appendEntry(sd_bus_message* m, const DbusMenuLayout::Entry& entry) {
    int r = sd_bus_message_open_container(m, 'v', "(ia{sv}av)");
    if (r >= 0)
        r = sd_bus_message_open_container(m, 'r', "ia{sv}av");
    if (r >= 0)
        r = sd_bus_message_append(m, "i", entry.id);
    if (r >= 0)
        r = appendProperties(m, &entry);
    if (r >= 0)
        r = sd_bus_message_append(m, "av", 0);
    if (r >= 0)
        r = sd_bus_message_close_container(m);
    return r < 0 ? r : sd_bus_message_close_container(m);
}

} // namespace

// The bus's call-backs: plain functions that find the item in their user data.
struct SniCallbacks {
    static SniItem& item(void* userdata) { return *static_cast<SniItem*>(userdata); }

    static int id(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                  void* userdata, sd_bus_error*) {
        return appendString(reply, item(userdata).id_.c_str());
    }

    static int constant(sd_bus*, const char*, const char*, const char* property,
                        sd_bus_message* reply, void*, sd_bus_error*) {
        const std::string_view name(property);
        if (name == "Category")
            return appendString(reply, "Hardware");
        if (name == "Title")
            return appendString(reply, "PakVue");
        if (name == "Status")
            return appendString(reply, "Active");
        return appendString(reply, ""); // the icon names: the pixmap is the picture
    }

    // Sent even though false is what the protocol means without it: xfce reads a missing
    // value as true and would show the menu on a click.
    static int itemIsMenu(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                          void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "b", 0);
    }

    static int menu(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                    sd_bus_error*) {
        return sd_bus_message_append(reply, "o", menuPath);
    }

    static int appendPixmaps(sd_bus_message* m, const SniItem& self) {
        int r = sd_bus_message_open_container(m, 'a', "(iiay)");
        for (const auto& pixmap : self.pixmaps_) {
            if (r < 0 || pixmap.argb.empty())
                continue;
            r = sd_bus_message_open_container(m, 'r', "iiay");
            if (r >= 0)
                r = sd_bus_message_append(m, "ii", pixmap.width, pixmap.height);
            if (r >= 0)
                r = sd_bus_message_append_array(m, 'y', pixmap.argb.data(), pixmap.argb.size());
            if (r >= 0)
                r = sd_bus_message_close_container(m);
        }
        return r < 0 ? r : sd_bus_message_close_container(m);
    }

    static int iconPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                          void* userdata, sd_bus_error*) {
        return appendPixmaps(reply, item(userdata));
    }

    // No picture of its own: hosts show the text, under the title.
    static int toolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                       void* userdata, sd_bus_error*) {
        int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
        if (r >= 0)
            r = sd_bus_message_append(reply, "s", "");
        if (r >= 0)
            r = sd_bus_message_append(reply, "a(iiay)", 0);
        if (r >= 0)
            r = sd_bus_message_append(reply, "ss", "PakVue", item(userdata).tip_.c_str());
        return r < 0 ? r : sd_bus_message_close_container(reply);
    }

    static int activate(sd_bus_message* m, void* userdata, sd_bus_error*) {
        return pointed(m, item(userdata).handlers_.activate);
    }

    static int contextMenu(sd_bus_message* m, void* userdata, sd_bus_error*) {
        return pointed(m, item(userdata).handlers_.contextMenu);
    }

    static int ignored(sd_bus_message* m, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(m, "");
    }

    static int pointed(sd_bus_message* m, const std::function<void(int, int)>& handler) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        const int r = sd_bus_message_read(m, "ii", &x, &y);
        if (r < 0)
            return r;
        if (handler)
            handler(x, y);
        return sd_bus_reply_method_return(m, "");
    }

    // The whole menu at every call: it is one level of a few items.
    static int getLayout(sd_bus_message* m, void* userdata, sd_bus_error*) {
        const SniItem& self = item(userdata);
        sd_bus_message* reply = nullptr;
        int r = sd_bus_message_new_method_return(m, &reply);
        if (r >= 0)
            r = sd_bus_message_append(reply, "u", self.menuRevision_);
        if (r >= 0)
            r = sd_bus_message_open_container(reply, 'r', "ia{sv}av");
        if (r >= 0)
            r = sd_bus_message_append(reply, "i", 0);
        if (r >= 0)
            r = appendProperties(reply, nullptr);
        if (r >= 0)
            r = sd_bus_message_open_container(reply, 'a', "v");
        for (const auto& entry : self.menu_.entries())
            if (r >= 0)
                r = appendEntry(reply, entry);
        if (r >= 0)
            r = sd_bus_message_close_container(reply);
        return closeAndSend(reply, r);
    }

    // The menu's own items among those asked for, each once and in the menu's order, so that
    // the reply is never larger than the menu; no ids asks for all.
    static int getGroupProperties(sd_bus_message* m, void* userdata, sd_bus_error* error) {
        SniItem& self = item(userdata);
        const std::int32_t* ids = nullptr;
        std::size_t size = 0;
        int r = sd_bus_message_read_array(m, 'i', reinterpret_cast<const void**>(&ids), &size);
        if (r < 0)
            return r;
        const std::span<const std::int32_t> asked(ids, size / sizeof(std::int32_t));
        if (asked.size() > mostIdsAsked)
            return refuseOversized(self, asked.size(), error);
        sd_bus_message* reply = nullptr;
        r = sd_bus_message_new_method_return(m, &reply);
        if (r >= 0)
            r = sd_bus_message_open_container(reply, 'a', "(ia{sv})");
        for (const auto& entry : self.menu_.entries()) {
            if (r < 0 || !(asked.empty() || std::ranges::find(asked, entry.id) != asked.end()))
                continue;
            r = sd_bus_message_open_container(reply, 'r', "ia{sv}");
            if (r >= 0)
                r = sd_bus_message_append(reply, "i", entry.id);
            if (r >= 0)
                r = appendProperties(reply, &entry);
            if (r >= 0)
                r = sd_bus_message_close_container(reply);
        }
        return closeAndSend(reply, r);
    }

    static int refuseOversized(SniItem& self, std::size_t count, sd_bus_error* error) {
        if (!std::exchange(self.oversizeLogged_, true))
            util::log::logMessage(util::log::LogLevel::Warning,
                                  "a client of the session bus asked " + self.name_ +
                                      " for the properties of " + std::to_string(count) +
                                      " menu items; refused.");
        return sd_bus_error_setf(error, SD_BUS_ERROR_INVALID_ARGS, "at most %zu ids are answered",
                                 mostIdsAsked);
    }

    // Only "clicked" runs a command; hovering and opening are announced too.
    static int event(sd_bus_message* m, void* userdata, sd_bus_error*) {
        std::int32_t id = 0;
        const char* kind = nullptr;
        int r = sd_bus_message_read(m, "is", &id, &kind);
        if (r < 0)
            return r;
        const SniItem& self = item(userdata);
        const auto* entry = self.menu_.find(id);
        if (std::string_view(kind) == "clicked" && entry &&
            entry->kind != MenuItemKind::Separator && self.handlers_.command)
            self.handlers_.command(entry->command);
        return sd_bus_reply_method_return(m, "");
    }

    // The owner sets its check marks now; a host told that the menu changed reads it again
    // before it shows it.
    static int aboutToShow(sd_bus_message* m, void* userdata, sd_bus_error*) {
        SniItem& self = item(userdata);
        const std::uint32_t revision = self.menuRevision_;
        if (self.handlers_.aboutToShow)
            self.handlers_.aboutToShow();
        return sd_bus_reply_method_return(m, "b", self.menuRevision_ != revision ? 1 : 0);
    }

    static int menuVersionProperty(sd_bus*, const char*, const char*, const char*,
                                   sd_bus_message* reply, void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "u", menuVersion);
    }

    static int menuStatus(sd_bus*, const char*, const char*, const char* property,
                          sd_bus_message* reply, void*, sd_bus_error*) {
        return appendString(reply, std::string_view(property) == "Status" ? "normal" : "ltr");
    }

    // A watcher that starts (again) knows no items: each registers anew.
    static int ownerChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
        if (gainedOwner(m))
            item(userdata).registerWithWatcher();
        return 0;
    }

    static int hostRegistered(sd_bus_message*, void* userdata, sd_bus_error*) {
        item(userdata).registerWithWatcher();
        return 0;
    }

    static int registered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        SniItem& self = item(userdata);
        const sd_bus_error* error = sd_bus_message_get_error(reply);
        if (error == nullptr) {
            self.refusalLogged_ = false;
            return 0;
        }
        if (!std::exchange(self.refusalLogged_, true))
            util::log::logMessage(
                util::log::LogLevel::Warning,
                "the StatusNotifierItem watcher refused " + self.name_ + ": " +
                    util::log::quotedText(error->message ? error->message : error->name));
        if (self.handlers_.refused)
            self.handlers_.refused();
        return 0;
    }
};

namespace {

const sd_bus_vtable itemTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", SniCallbacks::constant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", SniCallbacks::id, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", SniCallbacks::constant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Status", "s", SniCallbacks::constant, 0, 0),
    SD_BUS_PROPERTY("IconName", "s", SniCallbacks::constant, 0, 0),
    SD_BUS_PROPERTY("AttentionIconName", "s", SniCallbacks::constant, 0, 0),
    SD_BUS_PROPERTY("OverlayIconName", "s", SniCallbacks::constant, 0, 0),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", SniCallbacks::iconPixmap, 0, 0),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", SniCallbacks::toolTip, 0, 0),
    SD_BUS_PROPERTY("ItemIsMenu", "b", SniCallbacks::itemIsMenu, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Menu", "o", SniCallbacks::menu, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("Activate", "ii", "", SniCallbacks::activate, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", SniCallbacks::activate,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("ContextMenu", "ii", "", SniCallbacks::contextMenu, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Scroll", "is", "", SniCallbacks::ignored, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable menuTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Version", "u", SniCallbacks::menuVersionProperty, 0,
                    SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Status", "s", SniCallbacks::menuStatus, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("TextDirection", "s", SniCallbacks::menuStatus, 0,
                    SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("GetLayout", "iias", "u(ia{sv}av)", SniCallbacks::getLayout,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetGroupProperties", "aias", "a(ia{sv})", SniCallbacks::getGroupProperties,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Event", "isvu", "", SniCallbacks::event, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("AboutToShow", "i", "b", SniCallbacks::aboutToShow, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("LayoutUpdated", "ui", 0),
    SD_BUS_SIGNAL("ItemsPropertiesUpdated", "a(ia{sv})a(ias)", 0),
    SD_BUS_VTABLE_END,
};

} // namespace

std::unique_ptr<SniItem> SniItem::open(int number, std::string id, DbusMenuLayout menu,
                                       Handlers handlers) {
    std::string name =
        "org.kde.StatusNotifierItem-" + std::to_string(::getpid()) + "-" + std::to_string(number);
    std::unique_ptr<SniItem> item(
        new SniItem(std::move(name), std::move(id), std::move(menu), std::move(handlers)));
    if (!item->bus_.open())
        return nullptr;
    return item;
}

SniItem::SniItem(std::string name, std::string id, DbusMenuLayout menu, Handlers handlers)
    : name_(std::move(name)), id_(std::move(id)), menu_(std::move(menu)),
      handlers_(std::move(handlers)),
      bus_("the StatusNotifierItem " + name_, [this](sd_bus* bus) { return attach(bus); }) {}

SniItem::~SniItem() = default;

// The objects and matches float: they end with the connection, a closed one included.
bool SniItem::attach(sd_bus* bus) {
    oversizeLogged_ = false;
    if (sd_bus_request_name(bus, name_.c_str(), 0) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, itemPath, itemInterface, itemTable, this) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, menuPath, menuInterface, menuTable, this) < 0 ||
        matchWatcherOwner(bus, nullptr, SniCallbacks::ownerChanged, this) < 0 ||
        matchWatcherSignal(bus, nullptr, "StatusNotifierHostRegistered",
                           SniCallbacks::hostRegistered, this) < 0)
        return false;
    if (shown_)
        registerWithWatcher(); // a connection made again
    return true;
}

void SniItem::registerWithWatcher() {
    shown_ = true;
    if (bus_.connected())
        sd_bus_call_method_async(bus_.get(), nullptr, watcherName, watcherPath, watcherName,
                                 "RegisterStatusNotifierItem", SniCallbacks::registered, this, "s",
                                 name_.c_str());
}

// A host reads both pixmaps back at every NewIcon: a picture like the last one is not announced.
void SniItem::setPictures(const gui::Bitmap<gui::Pixel>& small,
                          const gui::Bitmap<gui::Pixel>& large) {
    const gui::Bitmap<gui::Pixel>* pictures[] = {&small, &large};
    bool changed = false;
    for (int i = 0; i < 2; ++i) {
        Pixmap& pixmap = pixmaps_[i];
        toArgb32(*pictures[i], converted_);
        if (pixmap.width == pictures[i]->width() && pixmap.height == pictures[i]->height() &&
            pixmap.argb == converted_)
            continue;
        pixmap.width = pictures[i]->width();
        pixmap.height = pictures[i]->height();
        std::swap(pixmap.argb, converted_); // both keep their storage
        changed = true;
    }
    if (changed && bus_.connected())
        sd_bus_emit_signal(bus_.get(), itemPath, itemInterface, "NewIcon", "");
}

void SniItem::setChecked(std::uint32_t command, bool checked) {
    if (!menu_.setChecked(command, checked))
        return;
    ++menuRevision_;
    if (bus_.connected())
        sd_bus_emit_signal(bus_.get(), menuPath, menuInterface, "LayoutUpdated", "ui",
                           menuRevision_, 0);
}

void SniItem::setTip(const std::string& text) {
    if (text == tip_)
        return;
    tip_ = text;
    if (bus_.connected())
        sd_bus_emit_signal(bus_.get(), itemPath, itemInterface, "NewToolTip", "");
}

} // namespace platform::sni
