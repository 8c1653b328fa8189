#pragma once

#include "platform/sni/WatcherRules.h"

#include <string_view>
#include <systemd/sd-bus.h>

namespace platform::sni {

// Hears the watcher's name change owners (watcherOwnerRule()).
int matchWatcherOwner(sd_bus* bus, sd_bus_slot** slot, sd_bus_message_handler_t handler,
                      void* userdata);
// Hears a signal of the watcher's interface, such as StatusNotifierHostRegistered, sent by the
// watcher's owner: the bus passes on no other sender's, so any client cannot make one up.
int matchWatcherSignal(sd_bus* bus, sd_bus_slot** slot, const char* member,
                       sd_bus_message_handler_t handler, void* userdata);
// Whether a NameOwnerChanged message says the name has an owner now.
bool gainedOwner(sd_bus_message* nameOwnerChanged);

} // namespace platform::sni
