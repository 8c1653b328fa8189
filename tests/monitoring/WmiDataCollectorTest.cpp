#include "monitoring/WmiDataCollector.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace util::system::monitoring;

namespace {

// One sampling pass as the fake query plays it: no collect at all, a read that fails, or a value.
struct Pass {
    bool collected = true;
    std::optional<double> value;
};

class ScriptedQuery final : public platform::CounterQuery {
public:
    explicit ScriptedQuery(std::vector<Pass> passes) : passes_(std::move(passes)) {}
    std::size_t addCounter(const std::string&) override { return 0; }
    // The first collect is the collector's own, when it is made.
    bool collect() override { return passes_[next_++].collected; }
    double read(std::size_t) const override {
        if (!passes_[next_ - 1].value)
            throw std::invalid_argument("GetFormattedCounterValue failed");
        return *passes_[next_ - 1].value;
    }

private:
    std::vector<Pass> passes_;
    std::size_t next_ = 0;
};

} // namespace

TEST(WmiDataCollector, AFailingCounterIsLoggedOnceUntilItGivesDataAgain) {
    test::TemporaryDirectory dir;
    test::LogCapture log{dir};
    log.open();
    const std::string path = "\\Network Interface(_Total)\\Bytes Total/sec";
    const Pass noData{false, std::nullopt};
    const Pass failedRead{true, std::nullopt};
    WmiDataCollector collector(std::make_unique<ScriptedQuery>(std::vector<Pass>{
                                   {}, noData, noData, failedRead, {true, 5.0}, failedRead}),
                               path, Units::Rate, "Network");
    const auto buffer = collector.createBuffer(5);
    for (int pass = 0; pass < 5; ++pass)
        collector.collect();
    EXPECT_EQ(buffer->getValue(3), 5.0);
    EXPECT_EQ(buffer->getLast(), 0.0);
    EXPECT_EQ(buffer->getMaximum(), 5.0) << "every pass without data published 0";

    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3u);
    const std::string failed = "data collection for wmi counter '" + path + "' failed: ";
    EXPECT_EQ(lines[0].level, "Error");
    EXPECT_EQ(lines[0].message, failed + "the counter gives no data.");
    EXPECT_EQ(lines[1].level, "Info");
    EXPECT_EQ(lines[1].message, "wmi counter '" + path + "' gives data again.");
    EXPECT_EQ(lines[2].level, "Error");
    EXPECT_EQ(lines[2].message, failed + "GetFormattedCounterValue failed");
}
