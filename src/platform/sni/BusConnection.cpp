#include "platform/sni/BusConnection.h"

#include <cstdint>
#include <ctime>

namespace platform::sni {

BusConnection::BusConnection() {
    if (sd_bus_open_user(&bus_) < 0)
        bus_ = nullptr;
}

// Whatever is still queued (a last signal, a name to release) goes before the connection ends.
BusConnection::~BusConnection() {
    if (bus_ != nullptr)
        sd_bus_flush_close_unref(bus_);
}

int BusConnection::descriptor() const {
    return sd_bus_get_fd(bus_);
}

short BusConnection::events() const {
    const int events = sd_bus_get_events(bus_);
    return static_cast<short>(events < 0 ? 0 : events);
}

int BusConnection::timeoutMilliseconds() const {
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(bus_, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowMicroseconds = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 +
                                          static_cast<std::uint64_t>(now.tv_nsec) / 1000;
    return until <= nowMicroseconds ? 0 : static_cast<int>((until - nowMicroseconds + 999) / 1000);
}

void BusConnection::process() {
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
}

} // namespace platform::sni
