#include "util/thread/ReentrantSharedMutex.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace util {

namespace {

// The shared holds the calling thread has, per lock. A thread holds one or two locks at a time,
// so a short fixed table is enough; it keeps the thread-local trivially destructible and never
// allocates.
struct Hold {
    const ReentrantSharedMutex* lock;
    std::uint32_t count;
};
constexpr std::size_t maxHeldLocks = 16;
thread_local std::array<Hold, maxHeldLocks> sharedHolds{};
thread_local std::size_t heldLocks = 0;

Hold* findHold(const ReentrantSharedMutex* lock) {
    const auto end = sharedHolds.begin() + heldLocks;
    const auto hold =
        std::find_if(sharedHolds.begin(), end, [lock](const Hold& h) { return h.lock == lock; });
    return hold != end ? &*hold : nullptr;
}

void addSharedHold(const ReentrantSharedMutex* lock) {
    if (Hold* hold = findHold(lock)) {
        ++hold->count;
        return;
    }
    if (heldLocks == maxHeldLocks)
        throw std::length_error("too many reader/writer locks held by one thread");
    sharedHolds[heldLocks++] = {lock, 1};
}

void removeSharedHold(const ReentrantSharedMutex* lock) {
    Hold* hold = findHold(lock);
    if (hold != nullptr && --hold->count == 0)
        *hold = sharedHolds[--heldLocks];
}

} // namespace

void ReentrantSharedMutex::lock_shared() {
    std::unique_lock lock(mutex_);
    if (findHold(this) == nullptr) {
        ++waitingReaders_;
        readersMayEnter_.wait(lock, [this] { return !writing_ && waitingWriters_ == 0; });
        --waitingReaders_;
    }
    addSharedHold(this);
    ++readers_;
}

void ReentrantSharedMutex::unlock_shared() {
    std::lock_guard lock(mutex_);
    removeSharedHold(this);
    if (--readers_ == 0)
        writerMayEnter_.notify_one();
}

void ReentrantSharedMutex::lock() {
    std::unique_lock lock(mutex_);
    ++waitingWriters_;
    writerMayEnter_.wait(lock, [this] { return !writing_ && readers_ == 0; });
    --waitingWriters_;
    writing_ = true;
}

void ReentrantSharedMutex::unlock() {
    std::lock_guard lock(mutex_);
    writing_ = false;
    if (waitingWriters_ > 0)
        writerMayEnter_.notify_one();
    readersMayEnter_.notify_all();
}

std::uint32_t ReentrantSharedMutex::waiting() const {
    std::lock_guard lock(mutex_);
    return waitingReaders_ + waitingWriters_;
}

} // namespace util
