#include "util/thread/Interruption.h"

namespace util {

namespace {
// A plain pointer keeps the thread-local trivially destructible; the signal it points to
// outlives the worker's thread function, which set it.
thread_local StopSignal* current = nullptr;
} // namespace

void StopSignal::requestStop() {
    std::lock_guard lock(mutex_);
    requested_ = true;
    if (waitingOn_ != nullptr) {
        // The waiter clears waitingOn_ under our mutex before it leaves the wait, so the
        // condition is alive here.
        std::lock_guard waitLock(waitingOn_->mutex_);
        waitingOn_->condition_.notify_all();
    }
}

bool StopSignal::stopRequested() const {
    std::lock_guard lock(mutex_);
    return requested_;
}

InterruptionScope::InterruptionScope(StopSignal& signal) : previous_(current) {
    current = &signal;
}

InterruptionScope::~InterruptionScope() {
    current = previous_;
}

bool InterruptibleCondition::waitOnce(Lock& lock, const Clock::time_point* deadline) {
    StopSignal* signal = current;
    Lock inner(mutex_, std::defer_lock);
    if (signal != nullptr) {
        std::lock_guard signalLock(signal->mutex_);
        if (signal->requested_)
            throw ThreadInterrupted{};
        signal->waitingOn_ = this;
        inner.lock();
    } else {
        inner.lock();
    }
    lock.unlock();
    bool notified = true;
    if (deadline != nullptr)
        notified = condition_.wait_until(inner, *deadline) == std::cv_status::no_timeout;
    else
        condition_.wait(inner);
    inner.unlock();
    if (signal != nullptr) {
        std::lock_guard signalLock(signal->mutex_);
        signal->waitingOn_ = nullptr;
    }
    lock.lock();
    if (signal != nullptr && signal->stopRequested())
        throw ThreadInterrupted{};
    return notified;
}

void InterruptibleCondition::notifyAll() {
    std::lock_guard lock(mutex_);
    condition_.notify_all();
}

} // namespace util
