#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <poll.h>

namespace platform::x11 {

// Wakes the message loop from poll(): at once through a pipe, or by a deadline through a
// timer. Other threads wake the loop without taking any lock; wake-ups asked for while one is
// pending cost nothing, so threads that finish at the same moment wake the loop once.
class LoopWake {
public:
    // Nothing when the pipe or the timer cannot be made.
    static std::unique_ptr<LoopWake> open();
    ~LoopWake();

    LoopWake(const LoopWake&) = delete;
    LoopWake& operator=(const LoopWake&) = delete;

    // From any thread: wake the loop now.
    void now();
    // From any thread: wake the loop after `delay` at the latest. The first call arms the
    // timer until the loop wakes; later calls change nothing.
    void within(std::chrono::milliseconds delay);

    // The descriptors to poll besides the loop's own: the pipe and the timer.
    static constexpr int descriptorCount = 2;
    void watch(pollfd* into) const;
    // After the poll, on the loop's thread, before it looks at what the wake-up was for:
    // whatever comes later wakes it again.
    void clear(const pollfd* watched);

    // The pipe's end that signal handlers write a byte to.
    int signalDescriptor() const { return write_; }

private:
    LoopWake(int read, int write, int timer) : read_(read), write_(write), timer_(timer) {}

    void setTimer(std::chrono::milliseconds delay) const;

    int read_;
    int write_;
    int timer_;
    std::atomic<bool> pending_{false}; // a byte is in the pipe
    std::atomic<bool> armed_{false};   // the timer runs
};

} // namespace platform::x11
