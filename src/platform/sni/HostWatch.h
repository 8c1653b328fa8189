#pragma once

#include "platform/sni/WireConnection.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::sni {

// Follows whether the session bus has a StatusNotifierItem host to show items: the watcher's
// name gaining or losing its owner, and hosts registering with the watcher or leaving it. What
// a signal says is not taken on trust: each one makes the watch ask the watcher itself, and
// only the watcher's answer counts. It speaks to the bus itself (WireConnection), so that a
// session whose icons stay in the XEmbed tray never needs a D-Bus library. Only the loop's
// thread uses it: the loop polls descriptor() and calls process().
class HostWatch {
public:
    // Asks at once, waiting at most two seconds for a watcher that hangs. Nothing when the
    // session bus cannot be reached.
    static std::unique_ptr<HostWatch> open();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // As last heard: a watcher is there and says a host is registered with it.
    bool hostPresent() const { return bus_.connected() && present_; }
    // Counts what the watcher has announced (a start, an end, a host coming or going), so that
    // what an item heard back can be kept until the watcher's state changes.
    std::uint64_t changes() const { return changes_; }

    // For the loop's poll, as a bus connection offers them, with the question's deadline.
    int descriptor() const { return bus_.descriptor(); }
    short events() const { return bus_.events(); }
    int timeoutMilliseconds() const;
    void process();

private:
    using Clock = WireConnection::Clock;

    HostWatch();
    void attach();
    // Asks the watcher whether a host is registered; a new question replaces the one before.
    void ask();
    void heard(const WireMessage& message);
    void ownerChanged(const WireMessage& nameOwnerChanged);
    void ownerAnswered(const WireMessage& reply);
    void answered(const WireMessage& reply);

    bool present_ = false;
    std::uint64_t changes_ = 0;
    std::string owner_; // the watcher's unique name on the bus, as the bus said it
    std::uint32_t ownerQuestion_ = 0;
    std::uint32_t question_ = 0;
    Clock::time_point questionDeadline_;
    WireConnection bus_; // last: it ends before what its handlers use
};

} // namespace platform::sni
