#include "gui/DataSet.h"

#include "support/Eventually.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using util::system::monitoring::DataCollector;

namespace {

class StepCollector : public DataCollector {
public:
    StepCollector() : DataCollector(Units::None, "step") {}
    void collect() override { publish(++value_); }

private:
    double value_ = 0.0;
};

} // namespace

TEST(DataSet, UpdateSamplesEveryCollectorOnceAndAdvancesBothCounters) {
    auto first = std::make_shared<StepCollector>();
    auto second = std::make_shared<StepCollector>();
    auto tray = first->createBuffer(10);
    auto detailOnly = second->createBuffer(122);
    auto dataSet = std::make_shared<gui::DataSet>(gui::Collectors{first, second});
    dataSet->update();
    dataSet->update();
    EXPECT_EQ(tray->getLast(), 2.0);
    EXPECT_EQ(detailOnly->getLast(), 2.0);
    EXPECT_EQ(detailOnly->getUpdateCount(), 2u);
    EXPECT_EQ(dataSet->version(), 2u);
    EXPECT_EQ(dataSet->generation(), 2u);
    EXPECT_EQ(&dataSet->data(), &dataSet->lock());
    dataSet->unlock();

    auto empty = std::make_shared<gui::DataSet>(gui::Collectors{});
    empty->update();
    EXPECT_EQ(empty->version(), 1u);
}

TEST(DataSet, WaitForUpdateReturnsOnceForSeveralUpdates) {
    auto dataSet = std::make_shared<gui::DataSet>(gui::Collectors{});
    EXPECT_EQ(dataSet->waitForUpdate(5), 0u); // a generation other than the current one
    const std::uint32_t seen = dataSet->generation();
    dataSet->update();
    dataSet->update();
    EXPECT_EQ(dataSet->waitForUpdate(seen), seen + 2);

    std::atomic<std::uint32_t> woken{0};
    std::jthread waiter([&] { woken = dataSet->waitForUpdate(dataSet->generation()); });
    EXPECT_TRUE(test::eventually([&] { return dataSet->waitingThreads() == 1; }));
    EXPECT_EQ(woken, 0u);
    dataSet->update();
    waiter.join();
    EXPECT_EQ(woken, 3u);
}

TEST(DataSet, ReadersDelayTheSamplingPass) {
    auto dataSet = std::make_shared<gui::DataSet>(gui::Collectors{});
    dataSet->lockShared();
    std::jthread sampler([&] { dataSet->update(); });
    EXPECT_TRUE(test::eventually([&] { return dataSet->waitingThreads() == 1; }));
    EXPECT_EQ(dataSet->version(), 0u);
    dataSet->unlockShared();
    sampler.join();
    EXPECT_EQ(dataSet->version(), 1u);
}

// The detail window takes the shared hold again while it already has one; a sampling pass
// waiting for its exclusive hold in between must not deadlock them.
TEST(DataSet, ANestedSharedHoldNeverDeadlocksAgainstAWaitingPass) {
    auto collector = std::make_shared<StepCollector>();
    auto buffer = collector->createBuffer(4);
    auto dataSet = std::make_shared<gui::DataSet>(gui::Collectors{collector});
    std::atomic<bool> done{false};
    std::jthread sampler([&] {
        while (!done)
            dataSet->update();
    });
    // Until passes have really run in between, however busy the machine is.
    for (int i = 0; i < 2000 || dataSet->version() < 10; ++i) {
        gui::SharedDataSetLock outer(dataSet);
        const double seen = buffer->getLast();
        std::this_thread::yield(); // give the pass time to start waiting
        gui::SharedDataSetLock inner(dataSet);
        ASSERT_EQ(buffer->getLast(), seen); // no pass ran while we held the lock
    }
    done = true;
    sampler.join();
}

TEST(DataSet, UpdateNeedsOwnershipByASharedPointer) {
    gui::DataSet unowned(gui::Collectors{});
    EXPECT_THROW(unowned.update(), std::bad_weak_ptr);
}
