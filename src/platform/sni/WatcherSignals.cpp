#include "platform/sni/WatcherSignals.h"

#include <string>

namespace platform::sni {

int matchWatcherOwner(sd_bus* bus, sd_bus_slot** slot, sd_bus_message_handler_t handler,
                      void* userdata) {
    return sd_bus_add_match(bus, slot, watcherOwnerRule().c_str(), handler, userdata);
}

int matchWatcherSignal(sd_bus* bus, sd_bus_slot** slot, const char* member,
                       sd_bus_message_handler_t handler, void* userdata) {
    return sd_bus_match_signal(bus, slot, watcherName, watcherPath, watcherName, member, handler,
                               userdata);
}

bool gainedOwner(sd_bus_message* nameOwnerChanged) {
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    return sd_bus_message_read(nameOwnerChanged, "sss", &name, &before, &after) >= 0 &&
           std::string_view(name) == watcherName && after != nullptr && *after != '\0';
}

} // namespace platform::sni
