// PakVue's own counters on Windows, over a query of the test's own: which instances they have,
// and how they are made of the system's.
#include "platform/win32/Win32CounterQuery.h"

#include "support/Failure.h"

#include <gtest/gtest.h>
#include <map>

using platform::win32::Win32CounterQuery;

namespace {

using Instances = std::vector<std::pair<std::string, std::optional<double>>>;

// Serves the paths it is given: levels, and counters over every instance.
class FakeQuery final : public platform::win32::InstanceCounterQuery {
public:
    std::map<std::string, double> levels;
    std::map<std::string, Instances> everyInstance;
    bool collects = true;
    std::vector<std::string> added;

    std::size_t addCounter(const std::string& path) override {
        if (!levels.contains(path) && !everyInstance.contains(path))
            throw std::invalid_argument("PdhAddCounter failed");
        added.push_back(path);
        return added.size() - 1;
    }
    bool collect() override { return collects; }
    double read(std::size_t counter) const override { return levels.at(added.at(counter)); }
    void forEachInstance(std::size_t counter, const InstanceVisit& visit) override {
        for (const auto& [name, value] : everyInstance.at(added.at(counter)))
            visit(name, value);
    }
};

SYSTEM_POWER_STATUS power{};

BOOL WINAPI powerStatus(LPSYSTEM_POWER_STATUS status) {
    *status = power;
    return TRUE;
}

class Win32CounterQueryTest : public ::testing::Test {
protected:
    Win32CounterQueryTest() {
        auto pdh = std::make_unique<FakeQuery>();
        fake = pdh.get();
        fake->everyInstance["\\Thermal Zone Information(*)\\Temperature"] = {
            {"\\_TZ.TZ00", 300.15}, {"\\_TZ.THRM", 323.65}, {"\\_TZ.CPUZ", std::nullopt}};
        fake->everyInstance["\\GPU Adapter Memory(*)\\Dedicated Usage"] = {
            {"luid_0x00000000_0x0000C6B3_phys_0", 1e9}, {"luid_0x00000000_0x0001A2F0_phys_0", 5e8}};
        fake->levels["\\Memory\\Available Bytes"] = 4096.0;
        power = {};
        power.BatteryFlag = 1; // high
        power.BatteryLifePercent = 76;
        query = std::make_unique<Win32CounterQuery>(std::move(pdh), powerStatus);
    }

    FakeQuery* fake = nullptr;
    std::unique_ptr<Win32CounterQuery> query;
};

} // namespace

// The zones are in kelvins; the total is the hottest zone that has a value.
TEST_F(Win32CounterQueryTest, TemperaturesAreInDegreesCelsiusAndTheTotalIsTheHottest) {
    const auto zone = query->addCounter("\\Temperature(\\_TZ.TZ00)\\Degrees Celsius");
    const auto hottest = query->addCounter("\\temperature(*)\\degrees celsius");
    const auto silent = query->addCounter("\\Temperature(\\_TZ.CPUZ)\\Degrees Celsius");
    EXPECT_EQ(
        test::failure([&] { query->addCounter("\\Temperature(\\_TZ.GPU)\\Degrees Celsius"); }),
        "PdhAddCounter failed");
    ASSERT_TRUE(query->collect());
    EXPECT_DOUBLE_EQ(query->read(zone), 27.0);
    EXPECT_DOUBLE_EQ(query->read(hottest), 50.5);
    EXPECT_EQ(test::failure([&] { query->read(silent); }), "GetFormattedCounterValue failed");
}

TEST_F(Win32CounterQueryTest, GpuMemoryIsEachAdaptersAndTheTotalAllOfIt) {
    const auto adapter =
        query->addCounter("\\GPU(luid_0x00000000_0x0001A2F0_phys_0)\\Dedicated Memory Bytes");
    const auto all = query->addCounter("\\GPU(_Total)\\Dedicated Memory Bytes");
    const auto available = query->addCounter("\\Memory\\Available Bytes");
    ASSERT_TRUE(query->collect());
    EXPECT_EQ(query->read(adapter), 5e8);
    EXPECT_EQ(query->read(all), 1.5e9);
    EXPECT_EQ(query->read(available), 4096.0) << "PDH's own paths pass through";
    EXPECT_EQ(std::count(fake->added.begin(), fake->added.end(),
                         "\\GPU Adapter Memory(*)\\Dedicated Usage"),
              1)
        << "one PDH counter serves both";
}

// The power status is no PDH counter: a query of the battery alone collects without PDH.
TEST_F(Win32CounterQueryTest, TheBatteryChargeComesFromThePowerStatus) {
    fake->collects = false;
    const auto charge = query->addCounter("\\Battery(_Total)\\% Charge");
    EXPECT_EQ(test::failure([&] { query->addCounter("\\Battery(BAT0)\\% Charge"); }),
              "PdhAddCounter failed");
    ASSERT_TRUE(query->collect());
    EXPECT_EQ(query->read(charge), 76.0);
    power.BatteryLifePercent = 255; // unknown for a moment
    ASSERT_TRUE(query->collect());
    EXPECT_EQ(test::failure([&] { query->read(charge); }), "GetFormattedCounterValue failed");

    power.BatteryFlag = 128; // no system battery
    EXPECT_EQ(test::failure([&] { query->addCounter("\\Battery(*)\\% Charge"); }),
              "PdhAddCounter failed");
}

// Every own path with the instances this system has; a system without thermal zones or GPU
// counters lists none of them.
TEST_F(Win32CounterQueryTest, ListsTheOwnPathsOfTheInstancesThereAre) {
    std::vector<std::string> paths;
    for (const auto& listed : query->listOwn())
        paths.push_back(listed.path);
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "\\Temperature(_Total)\\Degrees Celsius",
                         "\\Temperature(\\_TZ.TZ00)\\Degrees Celsius",
                         "\\Temperature(\\_TZ.THRM)\\Degrees Celsius",
                         "\\Temperature(\\_TZ.CPUZ)\\Degrees Celsius",
                         "\\GPU(_Total)\\Dedicated Memory Bytes",
                         "\\GPU(luid_0x00000000_0x0000C6B3_phys_0)\\Dedicated Memory Bytes",
                         "\\GPU(luid_0x00000000_0x0001A2F0_phys_0)\\Dedicated Memory Bytes",
                         "\\Battery(_Total)\\% Charge",
                     }));
    EXPECT_EQ(query->listOwn().front().units, Units::Temperature);
}
