#include "platform/x11/TerminationSignals.h"

#include <atomic>
#include <cerrno>
#include <unistd.h>

namespace platform::x11 {

namespace {

// What a handler may touch: lock-free atomics and write(2).
std::atomic<int> wakeDescriptor{-1};
std::atomic<bool> endRequested{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

void requestEnd(int) {
    const int interrupted = errno; // the code the handler interrupted may be about to read it
    endRequested.store(true);
    char byte = 0;
    [[maybe_unused]] auto written = ::write(wakeDescriptor.load(), &byte, 1);
    errno = interrupted;
}

} // namespace

TerminationSignals::TerminationSignals(int wakeFd) {
    wakeDescriptor.store(wakeFd);
    struct sigaction action {};
    action.sa_handler = &requestEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        sigaction(signals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
    for (int i = 0; i < 3; ++i)
        sigaction(signals[i], &previous_[i], nullptr);
    wakeDescriptor.store(-1);
}

bool TerminationSignals::requested() {
    return endRequested.exchange(false);
}

} // namespace platform::x11
