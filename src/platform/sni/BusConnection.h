#pragma once

#include <systemd/sd-bus.h>

namespace platform::sni {

// A connection of its own to the session bus, driven from the loop's poll: the loop waits on
// descriptor() for events() at most timeoutMilliseconds(), then calls process().
class BusConnection {
public:
    // Not connected when the session bus cannot be reached: see connected().
    BusConnection();
    ~BusConnection();
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;

    bool connected() const { return bus_ != nullptr; }
    sd_bus* get() const { return bus_; }

    int descriptor() const;
    short events() const;
    // How long the loop may sleep before the bus needs it; -1 for as long as it likes.
    int timeoutMilliseconds() const;
    // Handles whatever the bus has now.
    void process();

private:
    sd_bus* bus_ = nullptr;
};

} // namespace platform::sni
