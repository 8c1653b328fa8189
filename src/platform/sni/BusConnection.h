#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <systemd/sd-bus.h>

namespace platform::sni {

// A connection of its own to the session bus, driven from the loop's poll: the loop waits on
// descriptor() for events() at most timeoutMilliseconds(), then calls process().
//
// Peers on the bus are the user's own programs and may be buggy: process() handles a bounded
// number of messages a turn, so that one busy connection leaves the loop to the others and to
// the desktop, and stops reading while replies pile up unsent. A connection that closes (the
// bus dropped it, or its daemon restarted) is said once in the log and made again, at once and
// then at growing intervals, with what lives on it set up anew.
class BusConnection {
public:
    // `role` names the connection in the log. `attach` sets up what lives on a new connection
    // (names, objects, matches, registrations) each time one opens, and says whether it could.
    BusConnection(std::string role, std::function<bool(sd_bus*)> attach);
    ~BusConnection();
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;

    // The first connection; false when the session bus cannot be reached or `attach` failed.
    bool open();
    bool connected() const { return bus_ != nullptr; }
    sd_bus* get() const { return bus_; }

    // -1 while there is no connection, which poll() passes over.
    int descriptor() const;
    short events() const;
    // How long the loop may sleep before the bus, or the next attempt to connect again, needs
    // it; -1 for as long as it likes.
    int timeoutMilliseconds() const;
    // Handles what the bus has now, up to a bound; connects again when it is due.
    void process();

private:
    using Clock = std::chrono::steady_clock;

    bool connect();
    void reconnect();
    bool writesPileUp() const;

    std::string role_;
    std::function<bool(sd_bus*)> attach_;
    sd_bus* bus_ = nullptr;
    bool wasOpen_ = false;
    Clock::time_point retryAt_;
    std::chrono::milliseconds retryDelay_{0};
};

} // namespace platform::sni
