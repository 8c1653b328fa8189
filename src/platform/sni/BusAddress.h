#pragma once

#include <string>
#include <vector>

namespace platform::sni {

// A socket a bus listens on: a file's path, or a name in Linux's abstract namespace.
struct BusSocket {
    std::string name;
    bool abstract = false;

    bool operator==(const BusSocket&) const = default;
};

// The sockets that `address`, a D-Bus address such as DBUS_SESSION_BUS_ADDRESS holds, names,
// in its order: `unix:path=` and `unix:abstract=` entries, separated by ';', with their
// %-escapes undone and their other keys (guid=) ignored. Entries of other transports and
// entries that do not parse are left out. Without an address (null or empty), the session
// bus's usual socket in `runtimeDirectory`, when there is one.
std::vector<BusSocket> sessionBusSockets(const char* address, const char* runtimeDirectory);

} // namespace platform::sni
