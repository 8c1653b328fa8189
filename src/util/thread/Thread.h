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

    bool isRunning() const override {
        std::lock_guard lock(mutex_);
        return job_ != 0;
    }

    void start() override {
        stopAndWait();
        std::lock_guard lock(mutex_);
        job_ = Ticker::shared().add(std::chrono::milliseconds(this->interval()),
                                    [this] { this->deliverFrame(); });
    }

    // The frame being produced, if any, may still be delivered.
    void stop() override { Ticker::shared().cancel(takeJob()); }

    // Called from onFrame(), it only keeps the next frames from coming.
    void stopAndWait() override { Ticker::shared().remove(takeJob()); }

private:
    Ticker::Id takeJob() {
        std::lock_guard lock(mutex_);
        return std::exchange(job_, 0);
    }

    mutable std::mutex mutex_;
    Ticker::Id job_ = 0;
};

} // namespace util
