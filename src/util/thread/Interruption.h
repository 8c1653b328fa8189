#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace util {

// Thrown out of an interruptible wait when the waiting thread has been asked to stop. It does
// not derive from std::exception, so handlers for ordinary failures let it pass up to the thread
// function, which ends quietly.
struct ThreadInterrupted {};

class InterruptibleCondition;

// Asks one worker thread to stop, and wakes it if it waits on an InterruptibleCondition.
//
// The standard library's stop tokens would do this, but their call-backs hang now and then with
// the MinGW runtime's semaphores, so the wake-up is done here with a plain mutex and condition.
class StopSignal {
public:
    void requestStop();
    bool stopRequested() const;

private:
    friend class InterruptibleCondition;

    mutable std::mutex mutex_;
    bool requested_ = false;
    InterruptibleCondition* waitingOn_ = nullptr; // where the worker waits now, if anywhere
};

// Makes `signal` the calling thread's stop signal for the scope's lifetime.
class InterruptionScope {
public:
    explicit InterruptionScope(StopSignal& signal);
    ~InterruptionScope();

    InterruptionScope(const InterruptionScope&) = delete;
    InterruptionScope& operator=(const InterruptionScope&) = delete;

private:
    StopSignal* previous_;
};

// A condition variable whose waits are interruption points: on a worker thread whose stop is
// requested they throw ThreadInterrupted at once. On any other thread they are plain waits.
class InterruptibleCondition {
public:
    using Clock = std::chrono::steady_clock;
    using Lock = std::unique_lock<std::mutex>;

    template <typename Predicate>
    void wait(Lock& lock, Predicate ready) {
        while (!ready())
            waitOnce(lock, nullptr);
    }

    // Returns ready() as it is when the wait ends, at the latest after `duration`.
    template <typename Predicate>
    bool waitFor(Lock& lock, Clock::duration duration, Predicate ready) {
        const Clock::time_point deadline = Clock::now() + duration;
        while (!ready())
            if (!waitOnce(lock, &deadline))
                return ready();
        return true;
    }

    void notifyAll();

private:
    friend class StopSignal;

    // One wait on the caller's lock; false when the deadline passed.
    bool waitOnce(Lock& lock, const Clock::time_point* deadline);

    // Taken before the caller's lock is released, so a notification cannot slip in between;
    // lock order: the caller's lock, the stop signal's mutex, then this.
    std::mutex mutex_;
    std::condition_variable condition_;
};

} // namespace util
