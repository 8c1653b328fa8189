#pragma once

#include <string_view>
#include <systemd/sd-bus.h>

namespace platform::sni {

inline constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
inline constexpr const char* watcherPath = "/StatusNotifierWatcher";

// Hears the watcher's name change owners, and no other name's: a desktop's bus sees names come
// and go all day, and each would wake the loop.
int matchWatcherOwner(sd_bus* bus, sd_bus_slot** slot, sd_bus_message_handler_t handler,
                      void* userdata);
// Hears a signal of the watcher's interface, such as StatusNotifierHostRegistered, sent by the
// watcher's owner: the bus passes on no other sender's, so any client cannot make one up.
int matchWatcherSignal(sd_bus* bus, sd_bus_slot** slot, const char* member,
                       sd_bus_message_handler_t handler, void* userdata);
// Whether a NameOwnerChanged message says the name has an owner now.
bool gainedOwner(sd_bus_message* nameOwnerChanged);

} // namespace platform::sni
