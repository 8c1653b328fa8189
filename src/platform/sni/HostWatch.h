#pragma once

#include "platform/sni/BusConnection.h"

#include <cstdint>
#include <memory>

namespace platform::sni {

// Follows whether the session bus has a StatusNotifierItem host to show items: the watcher's
// name gaining or losing its owner, and hosts registering with the watcher or leaving it. What
// a signal says is not taken on trust: each one makes the watch ask the watcher itself. Only
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
    bool hostPresent() const { return bus_.connected() && present_; }
    // Counts what the watcher has announced (a start, an end, a host coming or going), so that
    // what an item heard back can be kept until the watcher's state changes.
    std::uint64_t changes() const { return changes_; }
    BusConnection& bus() { return bus_; }

private:
    HostWatch();
    bool attach(sd_bus* bus);
    // Asks the watcher whether a host is registered; the answer comes through process().
    void ask();

    static int ownerChanged(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int hostChanged(sd_bus_message* m, void* userdata, sd_bus_error*);
    static int answered(sd_bus_message* reply, void* userdata, sd_bus_error*);

    bool present_ = false;
    std::uint64_t changes_ = 0;
    sd_bus_slot* question_ = nullptr; // the one question on its way; a new one replaces it
    BusConnection bus_;               // last: it ends before what its call-backs use
};

} // namespace platform::sni
