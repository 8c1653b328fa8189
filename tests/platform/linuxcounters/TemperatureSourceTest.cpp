#include "monitoring/WmiDataCollector.h"
#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/CounterLog.h"
#include "support/Failure.h"
#include "support/SystemCopy.h"
#include "util/log/AppLog.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace platform::linuxcounters;

namespace {

std::string celsius(const std::string& sensor) {
    return "\\Temperature(" + sensor + ")\\Degrees Celsius";
}

} // namespace

// Two NVMe drives name their chips alike, an input may have no label, and a thermal zone that
// the kernel also shows as a hwmon chip is listed once.
TEST(TemperatureSource, NamesEverySensorOnceAndTheTotalIsTheHottest) {
    const test::SystemCopy system("hardware");
    const auto reader = SourceReader::under(system.root());
    std::vector<std::string> expected;
    for (const char* sensor :
         {"_Total", "acpitz temp1", "nvme Composite", "nvme Sensor 1", "coretemp Package id 0",
          "coretemp Core 0", "coretemp Core 1", "nvme#1 Composite", "amdgpu edge",
          "amdgpu junction", "x86_pkg_temp", "iwlwifi_1"})
        expected.push_back(celsius(sensor));
    EXPECT_EQ(test::listed("Temperature", *reader), expected);

    LinuxCounterQuery query(reader);
    const auto second = query.addCounter(celsius("nvme#1 Composite"));
    const auto unlabelled = query.addCounter("\\temperature(acpitz temp1)\\degrees celsius");
    const auto hottest = query.addCounter(celsius("*"));
    const auto zone = query.addCounter(celsius("iwlwifi_1"));
    for (const char* missing : {"nvme#2 Composite", "acpitz", "coretemp Core 2"})
        EXPECT_EQ(test::failure([&] { query.addCounter(celsius(missing)); }),
                  "PdhAddCounter failed")
            << missing;
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(second), 44.85);
    EXPECT_DOUBLE_EQ(query.read(unlabelled), 27.8);
    EXPECT_DOUBLE_EQ(query.read(hottest), 65.0);
    EXPECT_DOUBLE_EQ(query.read(zone), 40.0);

    system.write("sys/class/hwmon/hwmon2/temp2_input", "99500");
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(hottest), 99.5);
}

// A drive that drops off the bus and comes back gets another hwmon number: the sensor is found
// again by its name, with one Error line while it is away and one Info line when it is back.
TEST(TemperatureSource, ASensorThatGoesAwayIsFoundAgainUnderAnotherNumber) {
    const test::SystemCopy system("hardware");
    std::ostringstream log;
    const util::log::LogCopy copy(log);
    const std::string path = celsius("nvme#1 Composite");
    util::system::monitoring::WmiDataCollector collector(
        std::make_unique<LinuxCounterQuery>(system.root()), path, Units::Temperature, "Drive");
    const auto buffer = collector.createBuffer(1);
    collector.collect();
    EXPECT_DOUBLE_EQ(buffer->getLast(), 44.85);

    system.move("sys/class/hwmon/hwmon3", "gone");
    collector.collect();
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 0.0);

    system.move("gone", "sys/class/hwmon/hwmon7");
    system.write("sys/class/hwmon/hwmon7/temp1_input", "46850");
    collector.collect();
    EXPECT_DOUBLE_EQ(buffer->getLast(), 46.85);
    EXPECT_EQ(log.str(), test::lostAndFoundLines(path));
}
