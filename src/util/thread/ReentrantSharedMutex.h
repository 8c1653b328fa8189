#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace util {

// A reader/writer lock that prefers a waiting writer over new readers, except that a thread
// which already holds a shared hold may always take another. Without that exception, a reader
// re-entering while a writer waits would wait for the writer, which waits for the reader.
class ReentrantSharedMutex {
public:
    ReentrantSharedMutex() = default;
    ReentrantSharedMutex(const ReentrantSharedMutex&) = delete;
    ReentrantSharedMutex& operator=(const ReentrantSharedMutex&) = delete;

    void lock_shared();
    void unlock_shared();
    void lock();
    void unlock();

    // Threads blocked in lock() or lock_shared() now. A thread counts from before it starts
    // waiting, and the count is read under the same lock, so a thread counted here is waiting.
    std::uint32_t waiting() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable readersMayEnter_;
    std::condition_variable writerMayEnter_;
    std::uint32_t readers_ = 0;
    std::uint32_t waitingWriters_ = 0;
    std::uint32_t waitingReaders_ = 0;
    bool writing_ = false;
};

} // namespace util
