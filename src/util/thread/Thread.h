#pragma once

#include "util/thread/ThreadBase.h"
#include "util/thread/Ticker.h"

#include <chrono>
#include <mutex>
#include <utility>

namespace util {

// A frame source with a fixed period: its frames are jobs of the program's ticker, at the ticks
// of its interval, the first at once. It has no thread of its own: every source of the program
// shares the ticker's, so that sources of one interval cost one wake-up a tick between them.
template <typename T>
class Thread : public ThreadBase<T> {
public:
    Thread(std::uint32_t interval, typename ThreadBase<T>::Producer producer)
        : ThreadBase<T>(interval, std::move(producer)) {}
    ~Thread() override { Thread::stopAndWait(); }

    void start() override {
        stopAndWait();
        std::lock_guard lock(mutex_);
        job_ = Ticker::shared().add(std::chrono::milliseconds(this->interval()),
                                    [this] { this->deliverFrame(); });
        this->setRunning(true);
    }

    // The frame being produced, if any, may still be delivered; the next start or stopAndWait()
    // waits for it.
    void stop() override {
        std::lock_guard lock(mutex_);
        this->setRunning(false);
        Ticker::shared().cancel(job_);
    }

    // Called from onFrame(), it only keeps the next frames from coming.
    void stopAndWait() override {
        Ticker::Id job = 0;
        {
            std::lock_guard lock(mutex_);
            this->setRunning(false);
            job = std::exchange(job_, 0);
        }
        Ticker::shared().remove(job);
    }

private:
    std::mutex mutex_;
    Ticker::Id job_ = 0; // kept after a stop, to wait for its last frame
};

} // namespace util
