#pragma once

#include "util/thread/Interruption.h"

#include <cstdint>
#include <mutex>

namespace util {

// A wrapping count of updates that other threads can wait on. Several updates that happen while
// a waiter is busy wake it once.
class UpdateCounter {
public:
    // Counts one update and wakes every waiter.
    void advance() {
        {
            std::lock_guard lock(mutex_);
            ++count_;
        }
        changed_.notifyAll();
    }

    std::uint32_t get() const {
        std::lock_guard lock(mutex_);
        return count_;
    }

    // Blocks until the count differs from `lastSeen` and returns it; an interruption point of
    // the frame threads.
    std::uint32_t waitForChange(std::uint32_t lastSeen) {
        std::unique_lock lock(mutex_);
        ++waiting_;
        // Uncounted again however the wait ends: an interruption throws out of it.
        struct Counted {
            std::uint32_t& waiting;
            ~Counted() { --waiting; }
        } counted{waiting_};
        changed_.wait(lock, [&] { return count_ != lastSeen; });
        return count_;
    }

    // Threads blocked in waitForChange() now.
    std::uint32_t waiting() const {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    mutable std::mutex mutex_;
    std::uint32_t count_ = 0;
    std::uint32_t waiting_ = 0;
    InterruptibleCondition changed_;
};

} // namespace util
