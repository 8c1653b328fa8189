#include "util/thread/ReentrantSharedMutex.h"

#include "support/Eventually.h"

#include <atomic>
#include <gtest/gtest.h>
#include <shared_mutex>
#include <thread>

using util::ReentrantSharedMutex;

TEST(ReentrantSharedMutex, ReadersShareAndAWriterExcludesThem) {
    ReentrantSharedMutex mutex;
    mutex.lock_shared();
    std::atomic<bool> otherRead{false};
    std::jthread([&] {
        std::shared_lock lock(mutex);
        otherRead = true;
    }).join();
    EXPECT_TRUE(otherRead);
    mutex.unlock_shared();

    mutex.lock();
    std::atomic<bool> readWhileWriting{false};
    std::jthread reader([&] {
        std::shared_lock lock(mutex);
        readWhileWriting = true;
    });
    EXPECT_TRUE(test::eventually([&] { return mutex.waiting() == 1; })); // the reader waits
    EXPECT_FALSE(readWhileWriting);
    mutex.unlock();
    reader.join();
    EXPECT_TRUE(readWhileWriting);
}

TEST(ReentrantSharedMutex, AWaitingWriterHoldsOffNewReadersButNotReentrantOnes) {
    ReentrantSharedMutex mutex;
    mutex.lock_shared();
    std::atomic<bool> wrote{false};
    std::jthread writer([&] {
        std::lock_guard lock(mutex);
        wrote = true;
    });
    EXPECT_TRUE(test::eventually([&] { return mutex.waiting() == 1; })); // the writer waits

    std::atomic<bool> newReaderIn{false};
    std::jthread newReader([&] {
        std::shared_lock lock(mutex);
        newReaderIn = true;
    });
    EXPECT_TRUE(test::eventually([&] { return mutex.waiting() == 2; }));
    EXPECT_FALSE(newReaderIn); // waits behind the writer

    mutex.lock_shared(); // would deadlock if the writer were preferred here too
    mutex.unlock_shared();
    EXPECT_FALSE(wrote);
    mutex.unlock_shared();
    writer.join();
    newReader.join();
    EXPECT_TRUE(wrote);
    EXPECT_TRUE(newReaderIn);
}
