#include "platform/x11/LoopWake.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace platform::x11 {

std::unique_ptr<LoopWake> LoopWake::open() {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    const int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (timer < 0) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        return nullptr;
    }
    return std::unique_ptr<LoopWake>(new LoopWake(pipe[0], pipe[1], timer));
}

LoopWake::~LoopWake() {
    ::close(read_);
    ::close(write_);
    ::close(timer_);
}

void LoopWake::now() {
    if (pending_.exchange(true))
        return;
    char byte = 0;
    [[maybe_unused]] auto written = ::write(write_, &byte, 1); // a full pipe wakes anyway
}

void LoopWake::within(std::chrono::milliseconds delay) {
    if (!armed_.exchange(true))
        setTimer(delay);
}

void LoopWake::watch(pollfd* into) const {
    into[0] = {read_, POLLIN, 0};
    into[1] = {timer_, POLLIN, 0};
}

// A timer armed by another thread just after the loop disarmed it expires later with nothing
// to do; reading it then keeps it from waking the loop again and again.
void LoopWake::clear(const pollfd* watched) {
    char drained[64];
    if (watched[0].revents != 0)
        while (::read(read_, drained, sizeof drained) > 0) {
        }
    pending_.store(false);
    if (armed_.exchange(false))
        setTimer(std::chrono::milliseconds(0));
    if (watched[1].revents != 0) {
        std::uint64_t expirations = 0;
        [[maybe_unused]] auto read = ::read(timer_, &expirations, sizeof expirations);
    }
}

// A zero delay disarms the timer.
void LoopWake::setTimer(std::chrono::milliseconds delay) const {
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(delay.count() / 1000);
    when.it_value.tv_nsec = static_cast<long>(delay.count() % 1000 * 1'000'000);
    ::timerfd_settime(timer_, 0, &when, nullptr);
}

} // namespace platform::x11
