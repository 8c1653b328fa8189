#pragma once

#include "util/thread/Interruption.h"
#include "util/thread/ThreadBase.h"

#include <memory>
#include <thread>

namespace util {

// A frame source with a worker thread of its own and no period: after each frame the worker
// calls a wait function that blocks until the next frame is due. The wait should be
// interruptible (see waitInterruptibly) so that a stop wakes the worker at once.
template <typename T>
class WaitingThread : public ThreadBase<T> {
public:
    using Waiter = std::function<void()>;

    WaitingThread(typename ThreadBase<T>::Producer producer, Waiter waiter)
        : ThreadBase<T>(0, std::move(producer)), waiter_(std::move(waiter)) {}
    ~WaitingThread() override { WaitingThread::stopAndWait(); }

    void start() override {
        stopAndWait();
        this->setRunning(true);
        stopSignal_ = std::make_shared<StopSignal>();
        worker_ = std::thread([this, signal = stopSignal_] { runWorker(*signal); });
    }

    void stop() override {
        this->setRunning(false);
        if (stopSignal_)
            stopSignal_->requestStop();
    }

    void stopAndWait() override {
        stop();
        if (!worker_.joinable())
            return;
        if (worker_.get_id() == std::this_thread::get_id())
            worker_.detach(); // called from onFrame(): the worker ends when it returns
        else
            worker_.join();
    }

private:
    void runWorker(StopSignal& signal) {
        InterruptionScope scope(signal);
        try {
            while (!signal.stopRequested() && this->isRunning()) {
                this->deliverFrame();
                waiter_();
            }
        } catch (const ThreadInterrupted&) {
            // Asked to stop while waiting: nothing more to deliver.
        } catch (const std::exception& e) {
            // The wait itself failed: this worker ends, the program goes on.
            log::logMessage(log::LogLevel::Error, e.what());
        }
    }

    Waiter waiter_;
    std::thread worker_;
    std::shared_ptr<StopSignal> stopSignal_; // the current worker's; each worker has its own
};

} // namespace util
