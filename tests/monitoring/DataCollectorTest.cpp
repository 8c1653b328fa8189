#include "monitoring/DataCollector.h"

#include <gtest/gtest.h>

using namespace util::system::monitoring;

namespace {

class CountingCollector : public DataCollector {
public:
    using DataCollector::DataCollector;
    void collect() override { publish(++samples); }
    double samples = 0.0;
};

} // namespace

TEST(DataCollector, PublishesEverySampleToTheNewestEndOfEachBuffer) {
    CountingCollector collector(Units::Rate, "Network");
    auto tray = collector.createBuffer(30);
    auto detail = collector.createBuffer(122);
    collector.collect();
    collector.collect();
    for (const auto& buffer : {tray, detail}) {
        EXPECT_EQ(buffer->getLast(), 2.0);
        EXPECT_EQ(buffer->getValue(buffer->getCapacity() - 2), 1.0);
        EXPECT_EQ(buffer->getUnits(), Units::Rate);
    }
    auto late = collector.createBuffer(4);
    EXPECT_EQ(late->getMaximum(), 0.0); // only later samples reach it
    collector.collect();
    EXPECT_EQ(late->getLast(), 3.0);
    EXPECT_EQ(late->getValue(2), 0.0);
    EXPECT_EQ(collector.getName(), "Network");
}
