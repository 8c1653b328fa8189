#include "monitoring/DataBuffer.h"

#include "monitoring/DataBufferView.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace util::system::monitoring;

namespace {

std::shared_ptr<DataBuffer> bufferOf(Units units, std::vector<double> values) {
    auto buffer = std::make_shared<DataBuffer>(units, static_cast<std::uint32_t>(values.size()));
    for (double value : values)
        buffer->push(value);
    return buffer;
}

std::vector<double> contents(const IDataBuffer& buffer) {
    std::vector<double> values;
    for (std::uint32_t i = 0; i < buffer.getCapacity(); ++i)
        values.push_back(buffer.getValue(i));
    return values;
}

} // namespace

TEST(DataBuffer, StartsFullOfZerosAndKeepsTheNewestCapacityValues) {
    DataBuffer empty(Units::None, 5);
    EXPECT_EQ(contents(empty), std::vector<double>(5, 0.0));
    EXPECT_EQ(empty.getLast(), 0.0);
    EXPECT_EQ(empty.getMaximum(), 0.0);

    auto buffer = bufferOf(Units::None, {1, 2, 3});
    EXPECT_EQ(contents(*buffer), (std::vector<double>{1, 2, 3}));
    buffer->push(4);
    EXPECT_EQ(contents(*buffer), (std::vector<double>{2, 3, 4}));
    EXPECT_EQ(buffer->getLast(), 4.0);
    EXPECT_EQ(buffer->getValue(3), 0.0);
    EXPECT_EQ(buffer->getUpdateCount(), 4u);
}

TEST(DataBuffer, StatisticsOverRangesAndTheWholeBuffer) {
    auto buffer = bufferOf(Units::None, {4, -1, 8, 2});
    EXPECT_EQ(buffer->getMaximum(), 8.0);
    EXPECT_EQ(buffer->getMaximum(0, 2), 4.0);
    EXPECT_EQ(buffer->getAverage(), 13.0 / 4);
    EXPECT_EQ(buffer->getAverage(1, 2), 3.5);
    EXPECT_EQ(bufferOf(Units::None, {-3, -2})->getMaximum(), 0.0);
    EXPECT_EQ(buffer->getMaximum(2, 0), 0.0);
    EXPECT_TRUE(std::isnan(buffer->getAverage(2, 0)));
}

TEST(DataBuffer, RangesPastTheValuesReadZerosInsteadOfOutsideTheBuffer) {
    auto buffer = bufferOf(Units::None, {5, 6, 7});
    EXPECT_EQ(buffer->getMaximum(2, 100), 7.0);
    EXPECT_EQ(buffer->getAverage(2, 2), 3.5);
    EXPECT_EQ(buffer->getMaximum(0xffffffffu, 0xffffffffu), 0.0);
    EXPECT_EQ(buffer->getAverage(3, 1), 0.0);
}

TEST(DataBuffer, ScaledMaximumRoundsSizesAndRatesUpToPowersOfTwo) {
    EXPECT_EQ(bufferOf(Units::Rate, {3.0})->getScaledMaximum(), 4.0);
    EXPECT_EQ(bufferOf(Units::Rate, {4.0})->getScaledMaximum(), 4.0);
    EXPECT_EQ(bufferOf(Units::Size, {0.5})->getScaledMaximum(), 2.0);
    EXPECT_EQ(bufferOf(Units::Size, {1500.0})->getScaledMaximum(), 2048.0);
    EXPECT_EQ(bufferOf(Units::Percentage, {3.0})->getScaledMaximum(), 3.0);
    EXPECT_EQ(bufferOf(Units::Rate, {0.0, 9.0, 1.0})->getScaledMaximum(2, 1), 2.0);
    EXPECT_TRUE(std::isinf(bufferOf(Units::Rate, {INFINITY})->getScaledMaximum()));
}

TEST(DataBuffer, SetCapacityKeepsTheOldestValuesAndPadsWithNewestZeros) {
    auto buffer = bufferOf(Units::None, {1, 2, 3, 4});
    buffer->push(5); // the ring no longer starts at its first slot
    buffer->setCapacity(2);
    EXPECT_EQ(contents(*buffer), (std::vector<double>{2, 3}));
    buffer->setCapacity(4);
    EXPECT_EQ(contents(*buffer), (std::vector<double>{2, 3, 0, 0}));
    buffer->push(9);
    EXPECT_EQ(contents(*buffer), (std::vector<double>{3, 0, 0, 9}));
    EXPECT_EQ(buffer->getUpdateCount(), 6u);

    DataBuffer none(Units::None, 0);
    none.push(1.0);
    EXPECT_EQ(none.getLast(), 0.0);
    EXPECT_EQ(none.getMaximum(), 0.0);
}

TEST(DataBuffer, WaitForUpdateBlocksUntilTheNextPush) {
    auto buffer = std::make_shared<DataBuffer>(Units::None, 3);
    EXPECT_EQ(buffer->waitForUpdate(7), 0u); // any other value returns at once
    std::atomic<bool> woke{false};
    std::jthread waiter([&] {
        EXPECT_EQ(buffer->waitForUpdate(buffer->getUpdateCount()), 1u);
        woke = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(woke);
    buffer->push(1.0);
    waiter.join();
    EXPECT_TRUE(woke);
}

TEST(DataBufferView, ClampsItsOffsetToTheBuffer) {
    auto buffer = std::make_shared<DataBuffer>(Units::None, 100);
    auto view = buffer->createView(0, 10);
    EXPECT_EQ(view->setOffset(-5), 0);
    EXPECT_EQ(view->setOffset(95), 90);
    view->setOffset(88);
    EXPECT_EQ(view->scroll(3), 90);
    EXPECT_EQ(view->scroll(-200), 0);
    EXPECT_EQ(view->scroll(0x7fffffff), 90);

    auto full = buffer->createView(0, 100);
    for (int offset : {-1, 1, 50, 100})
        EXPECT_EQ(full->setOffset(offset), 0);
}

TEST(DataBufferView, RejectsASizeLargerThanTheBuffer) {
    auto buffer = std::make_shared<DataBuffer>(Units::None, 100);
    EXPECT_THROW(buffer->createView(0, 101), std::invalid_argument);
    auto view = buffer->createView(0, 10);
    try {
        view->setSize(101);
        FAIL() << "a view larger than its buffer was accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "specified view size greater than buffer size.");
    }
    EXPECT_EQ(view->getSize(), 10);
    EXPECT_EQ(view->setSize(20), 100);
}

TEST(DataBufferView, ReadsTheWindowEndingOffsetSamplesBeforeTheNewest) {
    auto buffer = bufferOf(Units::Rate, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    auto view = buffer->createView(2, 4); // buffer indices 4 ... 7: values 5 ... 8
    EXPECT_EQ(view->getValue(0), 5.0);
    EXPECT_EQ(view->getValue(3), 8.0);
    EXPECT_EQ(view->getLast(), 8.0);
    EXPECT_EQ(view->getMaximum(), 8.0);
    EXPECT_EQ(view->getScaledMaximum(), 8.0);
    EXPECT_EQ(view->getAverage(), 6.5);
    EXPECT_EQ(view->getUnits(), Units::Rate);
    EXPECT_EQ(view->getValue(-5), 0.0);
    EXPECT_EQ(view->getValue(100), 0.0);

    std::vector<std::uint32_t> reported;
    view->setOffsetChangedHandler([&](std::uint32_t offset) { reported.push_back(offset); });
    view->scroll(-1);
    view->setOffset(50);
    EXPECT_EQ(reported, (std::vector<std::uint32_t>{1, 6}));
    EXPECT_EQ(view->getLast(), 4.0);
}

TEST(DataBufferView, StaysInsideABufferThatShrankUnderIt) {
    auto buffer = bufferOf(Units::None, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    auto view = buffer->createView(6, 4);
    buffer->setCapacity(5); // 1 ... 5 remain; the old window no longer fits
    EXPECT_EQ(view->getLast(), 4.0);
    EXPECT_EQ(view->getMaximum(), 4.0);
    EXPECT_EQ(view->getAverage(), 2.5);
    buffer->setCapacity(2);
    EXPECT_EQ(view->getMaximum(), 2.0);
    EXPECT_EQ(view->getAverage(), 1.5);
    EXPECT_EQ(view->getValue(0), 1.0);
    EXPECT_EQ(view->getValue(2), 0.0);
    EXPECT_EQ(view->setOffset(3), 0);
}
