#pragma once

#include "util/log/AppLog.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>

namespace util {

// A source of frames, each handed to its owner through onFrame(). The concrete classes differ
// in what paces the frames: the program's ticker (Thread), or a worker thread of the source's
// own that waits between them (WaitingThread).
//
// Stopping ends a wait for the next frame at once. An owner must call stopAndWait() in its own
// destructor, before anything the producer or onFrame() uses is gone: once the owner's part is
// destroyed, onFrame() can no longer be dispatched to it.
template <typename T>
class ThreadBase {
public:
    using Producer = std::function<T()>;

    virtual ~ThreadBase() = default;

    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    bool isRunning() const { return running_.load(); }
    // Starts producing frames. Frames of an earlier start are stopped and waited for first, so
    // that the producer never runs twice at the same time.
    virtual void start() = 0;
    // Asks for no more frames and returns without waiting; the frame being produced may still
    // be delivered.
    virtual void stop() = 0;
    // stop(), then waits until no frame is being produced. Called from onFrame(), it does not
    // wait for the frame that called it.
    virtual void stopAndWait() = 0;

    // Receives each finished frame, on the thread that produced it.
    virtual void onFrame(T frame) = 0;

protected:
    ThreadBase(std::uint32_t interval, Producer producer)
        : interval_(interval), producer_(std::move(producer)) {}

    void setRunning(bool running) { running_.store(running); }

    // Milliseconds between frame starts.
    std::uint32_t interval() const { return interval_; }

    // One frame from the producer, handed to the owner. A frame that fails is logged and
    // skipped: the next one may succeed, and nothing thrown here may end the process.
    void deliverFrame() {
        try {
            onFrame(producer_());
        } catch (const std::exception& e) {
            log::logMessage(log::LogLevel::Error, e.what());
        }
    }

private:
    const std::uint32_t interval_;
    Producer producer_;
    std::atomic<bool> running_{false};
};

} // namespace util
