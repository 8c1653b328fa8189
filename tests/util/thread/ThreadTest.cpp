#include "util/thread/Thread.h"

#include "gui/DataSet.h"
#include "support/LogCapture.h"
#include "util/thread/WaitingThread.h"

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

// An owner that records the frames it is handed and stops its worker before it goes away.
template <typename Base>
class Recorder : public Base {
public:
    using Base::Base;
    ~Recorder() override { this->stopAndWait(); }

    void onFrame(int frame) override {
        std::lock_guard lock(mutex_);
        frames_.push_back(frame);
        delivered_.notify_all();
    }

    // Whether `count` frames have arrived within ten seconds.
    [[nodiscard]] bool waitForFrames(std::size_t count) {
        std::unique_lock lock(mutex_);
        return delivered_.wait_for(lock, std::chrono::seconds(10),
                                   [&] { return frames_.size() >= count; });
    }

    std::size_t frameCount() {
        std::lock_guard lock(mutex_);
        return frames_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable delivered_;
    std::vector<int> frames_;
};

using FixedRecorder = Recorder<util::Thread<int>>;
using WaitingRecorder = Recorder<util::WaitingThread<int>>;

std::chrono::milliseconds timeToStop(util::ThreadBase<int>& thread) {
    const auto started = std::chrono::steady_clock::now();
    thread.stopAndWait();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started);
}

} // namespace

// Times in milliseconds on the steady clock, for an interval of one second.
TEST(Thread, StartsFramesOnMultiplesOfTheIntervalAndNeverCatchesUp) {
    const auto tick = [](std::chrono::milliseconds started, std::chrono::milliseconds now) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            util::nextTick(1000ms, started, now));
    };
    EXPECT_EQ(tick(1000ms, 1030ms), 2000ms); // the usual short frame
    EXPECT_EQ(tick(250ms, 260ms), 1000ms);   // the first frame of a thread
    EXPECT_EQ(tick(700ms, 710ms), 2000ms);   // not half an interval before the next multiple
    EXPECT_EQ(tick(1000ms, 1600ms), 2000ms); // a long frame keeps its tick
    EXPECT_EQ(tick(1000ms, 2200ms), 3000ms); // an overrun skips to the next tick
    EXPECT_EQ(util::nextTick(0ns, 5ns, 7ns), 7ns);
    const auto day = std::chrono::hours(24);
    EXPECT_EQ(util::nextTick(3'000'000'000ms, day, day + 1ms), 3'000'000'000ms); // no overflow
}

TEST(Thread, StopDuringALongSleepReturnsAtOnceWithoutAnotherFrame) {
    int next = 0;
    FixedRecorder thread(10'000, [&next] { return next++; });
    EXPECT_FALSE(thread.isRunning());
    thread.start();
    EXPECT_TRUE(thread.isRunning());
    ASSERT_TRUE(thread.waitForFrames(1));
    EXPECT_LT(timeToStop(thread), 2000ms); // the sleep lasts 10 s
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(thread.frameCount(), 1u);
}

TEST(Thread, ZeroIntervalProducesFramesBackToBack) {
    FixedRecorder thread(0, [] { return 1; });
    thread.start();
    // Within the ten seconds the wait allows: a pause of 50 ms or more between frames (a
    // default interval, say) would miss it.
    EXPECT_TRUE(thread.waitForFrames(200));
}

TEST(Thread, RestartingNeverLetsTwoWorkersRunTheProducer) {
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    FixedRecorder thread(0, [&] {
        const int now = ++inside;
        mostInside = std::max(mostInside.load(), now);
        std::this_thread::sleep_for(1ms);
        --inside;
        return now;
    });
    for (int i = 0; i < 20; ++i) {
        thread.start();
        thread.start(); // on a running thread: stops it and starts anew
        thread.stop();
    }
    thread.start();
    ASSERT_TRUE(thread.waitForFrames(1));
    EXPECT_EQ(mostInside, 1);
}

TEST(Thread, DestroyingARunningOwnerStopsItsWorker) {
    std::atomic<int> produced{0};
    {
        FixedRecorder thread(0, [&] { return ++produced; });
        thread.start();
        ASSERT_TRUE(thread.waitForFrames(3));
    }
    const int afterDestruction = produced;
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(produced, afterDestruction);
}

TEST(WaitingThread, DrawsOncePerDataSetUpdateAndStopsAtOnceWhileWaiting) {
    auto dataSet = std::make_shared<gui::DataSet>(gui::Collectors{});
    std::uint32_t seen = dataSet->generation();
    WaitingRecorder thread([] { return 0; }, [&] { seen = dataSet->waitForUpdate(seen); });
    thread.start();
    ASSERT_TRUE(thread.waitForFrames(1));
    dataSet->update();
    ASSERT_TRUE(thread.waitForFrames(2));
    dataSet->update();
    ASSERT_TRUE(thread.waitForFrames(3));
    EXPECT_LT(timeToStop(thread), 2000ms); // blocked in the data set's wait
    dataSet->update();
    EXPECT_EQ(thread.frameCount(), 3u);
}
// A frame that throws is logged and skipped; the worker goes on to the next frame.
TEST(Thread, AFrameThatThrowsIsLoggedAndTheNextOneComes) {
    test::TemporaryDirectory dir;
    test::LogCapture log{dir};
    log.open();
    std::atomic<int> calls{0};
    FixedRecorder thread(1, [&] {
        if (calls++ == 0)
            throw std::runtime_error("no frame");
        return 1;
    });
    thread.start();
    EXPECT_TRUE(thread.waitForFrames(2));
    thread.stopAndWait();
    std::vector<test::LogLine> lines = log.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].level + ": " + lines[0].message, "Error: no frame");
}
