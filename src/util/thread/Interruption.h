#pragma once

#include <condition_variable>
#include <stop_token>

namespace util {

// Thrown out of an interruptible wait when the waiting thread has been asked to stop. It does
// not derive from std::exception, so handlers for ordinary failures let it pass up to the thread
// function, which ends quietly.
struct ThreadInterrupted {};

// The stop token of the worker thread that calls it; a token that can never be stopped on any
// other thread.
std::stop_token currentStopToken();

// Makes `token` the calling thread's stop token for the scope's lifetime.
class InterruptionScope {
public:
    explicit InterruptionScope(const std::stop_token& token);
    ~InterruptionScope();

    InterruptionScope(const InterruptionScope&) = delete;
    InterruptionScope& operator=(const InterruptionScope&) = delete;

private:
    const std::stop_token* previous_;
};

// Waits on `condition` until `ready()` holds; throws ThreadInterrupted if the calling thread is
// asked to stop first.
template <typename Lock, typename Predicate>
void waitInterruptibly(std::condition_variable_any& condition, Lock& lock, Predicate ready) {
    if (!condition.wait(lock, currentStopToken(), ready)) {
        throw ThreadInterrupted{};
    }
}

} // namespace util
