#pragma once

#include "platform/sni/BusConnection.h"

#include <memory>

namespace platform::sni {

// Follows whether the session bus has a StatusNotifierItem host to show items: the watcher's
// name gaining or losing its owner, and hosts registering with the watcher or leaving it. Only
// the loop's thread uses it: the loop polls bus() and processes it.
class HostWatch {
public:
    // Asks at once, waiting at most two seconds for a watcher that hangs. Nothing when the
    // session bus cannot be reached.
    static std::unique_ptr<HostWatch> open();
    ~HostWatch();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // As last heard: a watcher is there and says a host is registered with it.
    bool hostPresent() const { return present_; }
    BusConnection& bus() { return bus_; }

private:
    HostWatch() = default;
    // Asks the watcher whether a host is registered; the answer comes through process().
    void ask();

    static int ownerChanged(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int hostRegistered(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int hostUnregistered(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int answered(sd_bus_message* reply, void* userdata, sd_bus_error*);

    BusConnection bus_;
    bool present_ = false;
    sd_bus_slot* ownerSlot_ = nullptr;
    sd_bus_slot* registeredSlot_ = nullptr;
    sd_bus_slot* unregisteredSlot_ = nullptr;
    sd_bus_slot* question_ = nullptr;
};

} // namespace platform::sni
