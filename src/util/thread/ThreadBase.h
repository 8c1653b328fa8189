#pragma once

#include "util/log/AppLog.h"
#include "util/thread/Interruption.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace util {

// A worker thread that produces frames and hands each one to its owner through onFrame(). The
// concrete classes differ only in how the worker paces itself between frames.
//
// Stopping wakes a worker that sleeps or waits interruptibly at once. An owner must call
// stopAndWait() in its own destructor, before anything the producer or onFrame() uses is gone:
// once the owner's part is destroyed, onFrame() can no longer be dispatched to it.
template <typename T>
class ThreadBase {
public:
    using Producer = std::function<T()>;

    virtual ~ThreadBase() { stopAndWait(); }

    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    virtual bool isRunning() const {
        std::lock_guard lock(mutex_);
        return running_;
    }

    // Starts a new worker. A running worker is stopped and waited for first, so two workers
    // never run the producer at the same time.
    virtual void start() {
        stopAndWait();
        {
            std::lock_guard lock(mutex_);
            running_ = true;
        }
        stopSignal_ = std::make_shared<StopSignal>();
        worker_ = std::thread([this, signal = stopSignal_] { runWorker(*signal); });
    }

    // Asks the worker to stop and returns without waiting; the worker may still deliver the
    // frame it is producing.
    virtual void stop() {
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        if (stopSignal_)
            stopSignal_->requestStop();
    }

    // Receives each finished frame, on the worker thread.
    virtual void onFrame(T frame) = 0;

    // stop(), then waits until the worker has ended.
    void stopAndWait() {
        stop();
        if (!worker_.joinable())
            return;
        if (worker_.get_id() == std::this_thread::get_id())
            worker_.detach(); // called from onFrame(): the worker ends when it returns
        else
            worker_.join();
    }

protected:
    ThreadBase(std::uint32_t interval, Producer producer)
        : interval_(interval), producer_(std::move(producer)) {}

    // Milliseconds between frame starts.
    std::uint32_t interval() const { return interval_; }

    bool keepRunning(const StopSignal& signal) const {
        return !signal.stopRequested() && isRunning();
    }

    // One frame from the producer, handed to the owner. A frame that fails is logged and
    // skipped: the next one may succeed, and nothing thrown here may end the process.
    void deliverFrame() {
        try {
            onFrame(producer_());
        } catch (const std::exception& e) {
            log::logMessage(log::LogLevel::Error, e.what());
        }
    }

    // Sleeps for `duration` unless the worker is asked to stop first; then throws
    // ThreadInterrupted.
    void sleepFor(std::chrono::steady_clock::duration duration) {
        std::unique_lock lock(sleepMutex_);
        sleepWake_.waitFor(lock, duration, [] { return false; });
    }

private:
    // The worker's pacing loop; returns when keepRunning() turns false.
    virtual void loop(const StopSignal& signal) = 0;

    void runWorker(StopSignal& signal) {
        InterruptionScope scope(signal);
        try {
            loop(signal);
        } catch (const ThreadInterrupted&) {
            // Asked to stop while sleeping or waiting: nothing more to deliver.
        } catch (const std::exception& e) {
            // The pacing itself failed (a wait that throws): this worker ends, the program
            // goes on.
            log::logMessage(log::LogLevel::Error, e.what());
        }
    }

    std::thread worker_;
    std::shared_ptr<StopSignal> stopSignal_; // the current worker's; each worker has its own
    mutable std::mutex mutex_;
    bool running_ = false;
    const std::uint32_t interval_;
    Producer producer_;
    std::mutex sleepMutex_;
    InterruptibleCondition sleepWake_;
};

} // namespace util
