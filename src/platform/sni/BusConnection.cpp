#include "platform/sni/BusConnection.h"

#include "util/log/AppLog.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <poll.h>

namespace platform::sni {

namespace {

// Enough for a host's burst of questions after a new picture; a flood waits for the next turn.
constexpr int messagesPerTurn = 16;
// Replies waiting to be written beyond this many: the peers are not reading them.
constexpr std::uint64_t longQueue = 64;
constexpr std::chrono::milliseconds firstRetry(1000);
constexpr std::chrono::milliseconds lastRetry(30'000);

} // namespace

BusConnection::BusConnection(std::string role, std::function<bool(sd_bus*)> attach)
    : role_(std::move(role)), attach_(std::move(attach)) {}

// Whatever is still queued (a last signal, a name to release) goes before the connection ends,
// unless the bus has stopped reading it.
BusConnection::~BusConnection() {
    if (bus_ == nullptr)
        return;
    if (writesPileUp())
        sd_bus_close_unref(bus_);
    else
        sd_bus_flush_close_unref(bus_);
}

bool BusConnection::open() {
    wasOpen_ = connect();
    return wasOpen_;
}

bool BusConnection::connect() {
    if (sd_bus_open_user(&bus_) < 0) {
        bus_ = nullptr;
        return false;
    }
    if (attach_(bus_))
        return true;
    bus_ = sd_bus_flush_close_unref(bus_);
    return false;
}

int BusConnection::descriptor() const {
    return bus_ == nullptr ? -1 : sd_bus_get_fd(bus_);
}

// While replies pile up unsent, only the bus taking them wakes the loop.
short BusConnection::events() const {
    if (bus_ == nullptr)
        return 0;
    if (writesPileUp())
        return POLLOUT;
    const int events = sd_bus_get_events(bus_);
    return static_cast<short>(events < 0 ? 0 : events);
}

int BusConnection::timeoutMilliseconds() const {
    if (bus_ == nullptr) {
        if (!wasOpen_)
            return -1;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(retryAt_ - Clock::now()).count();
        return static_cast<int>(std::max<long long>(0, left));
    }
    std::uint64_t until = 0;
    if (writesPileUp() || sd_bus_get_timeout(bus_, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowMicroseconds = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 +
                                          static_cast<std::uint64_t>(now.tv_nsec) / 1000;
    return until <= nowMicroseconds ? 0 : static_cast<int>((until - nowMicroseconds + 999) / 1000);
}

// Each call of sd_bus_process writes what it can, then handles one message: while writes pile
// up, one a turn, so that the queue grows no faster than the bus reads it.
void BusConnection::process() {
    if (bus_ == nullptr) {
        if (wasOpen_ && Clock::now() >= retryAt_)
            reconnect();
        return;
    }
    for (int handled = 0; handled < messagesPerTurn; ++handled) {
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0 || sd_bus_is_open(bus_) <= 0) {
            util::log::logMessage(util::log::LogLevel::Warning,
                                  "the session bus closed the connection of " + role_ +
                                      "; connecting again.");
            bus_ = sd_bus_close_unref(bus_);
            retryDelay_ = {};
            reconnect();
            return;
        }
        if (r == 0 || writesPileUp())
            return;
    }
}

// Connects again now, or later at a growing interval: a bus daemon that restarts takes a
// moment to listen again.
void BusConnection::reconnect() {
    if (connect())
        return;
    retryDelay_ = std::clamp(retryDelay_ * 2, firstRetry, lastRetry);
    retryAt_ = Clock::now() + retryDelay_;
}

bool BusConnection::writesPileUp() const {
    std::uint64_t queued = 0;
    return sd_bus_get_n_queued_write(bus_, &queued) >= 0 && queued > longQueue;
}

} // namespace platform::sni
