#pragma once

#include "util/thread/ThreadBase.h"

namespace util {

// A frame thread without a period: after each frame it calls a wait function that blocks until
// the next frame is due. The wait should be interruptible (see waitInterruptibly) so that a
// stop wakes the worker at once.
template <typename T>
class WaitingThread : public ThreadBase<T> {
public:
    using Waiter = std::function<void()>;

    WaitingThread(typename ThreadBase<T>::Producer producer, Waiter waiter)
        : ThreadBase<T>(0, std::move(producer)), waiter_(std::move(waiter)) {}

private:
    void loop(const StopSignal& signal) override {
        while (this->keepRunning(signal)) {
            this->deliverFrame();
            waiter_();
        }
    }

    Waiter waiter_;
};

} // namespace util
