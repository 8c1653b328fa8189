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

std::string battery(const std::string& instance, const char* counter) {
    return "\\Battery(" + instance + ")\\" + counter;
}

const char* const batteryFolder = "sys/class/power_supply/";

} // namespace

// The batteries are the instances, not the adapter or the USB port; the mouse's battery is
// served by its name and kept out of the total.
TEST(BatterySource, ServesTheBatteriesAndTotalsTheSystemsOwn) {
    const test::SystemCopy system("hardware");
    const auto reader = SourceReader::under(system.root());
    EXPECT_EQ(test::listed("Battery", *reader),
              (std::vector<std::string>{
                  battery("_Total", "% Charge"), battery("_Total", "Charge Watts"),
                  battery("_Total", "Discharge Watts"), battery("BAT0", "% Charge"),
                  battery("BAT0", "Charge Watts"), battery("BAT0", "Discharge Watts"),
                  battery("BAT1", "% Charge"), battery("BAT1", "Charge Watts"),
                  battery("BAT1", "Discharge Watts"), battery("hidpp_battery_0", "% Charge")}));

    LinuxCounterQuery query(system.root());
    const auto first = query.addCounter(battery("BAT0", "% Charge"));
    const auto discharging = query.addCounter(battery("BAT0", "Discharge Watts"));
    const auto charging = query.addCounter(battery("BAT1", "Charge Watts"));
    const auto notCharging = query.addCounter(battery("BAT0", "Charge Watts"));
    const auto mouse = query.addCounter(battery("hidpp_battery_0", "% Charge"));
    const auto total = query.addCounter(battery("_Total", "% Charge"));
    const auto totalOut = query.addCounter(battery("_Total", "Discharge Watts"));
    for (const auto& refused :
         {battery("AC", "% Charge"), battery("hidpp_battery_0", "Charge Watts"),
          battery("ucsi-source-psy-USBC000-001", "% Charge")})
        EXPECT_EQ(test::failure([&] { query.addCounter(refused); }), "PdhAddCounter failed")
            << refused;
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(first), 76.0);
    EXPECT_DOUBLE_EQ(query.read(discharging), 12.5);
    EXPECT_DOUBLE_EQ(query.read(charging), 18.0) << "1.5 A at 12 V";
    EXPECT_EQ(query.read(notCharging), 0.0);
    EXPECT_EQ(query.read(mouse), 55.0);
    EXPECT_EQ(query.read(total), 58.0) << "BAT1 tells no energy: the two charges' average";
    EXPECT_DOUBLE_EQ(query.read(totalOut), 12.5);

    // With energies for both, the total is their energy over their capacity.
    system.write(std::string(batteryFolder) + "BAT1/energy_now", "2000000");
    system.write(std::string(batteryFolder) + "BAT1/energy_full", "10000000");
    system.write(std::string(batteryFolder) + "BAT1/status", "Discharging");
    system.write(std::string(batteryFolder) + "BAT1/current_now",
                 "-500000"); // signed by some drivers
    LinuxCounterQuery again(system.root());
    const auto energyTotal = again.addCounter(battery("_Total", "% Charge"));
    const auto bothOut = again.addCounter(battery("_Total", "Discharge Watts"));
    ASSERT_TRUE(again.collect());
    EXPECT_DOUBLE_EQ(again.read(energyTotal), 100.0 * 40.0 / 60.0);
    EXPECT_DOUBLE_EQ(again.read(bothOut), 12.5 + 6.0);
}

// A battery taken out of its bay and put back: one Error line, then one Info line.
TEST(BatterySource, ABatteryTakenOutAndPutBackLogsOnceEachWay) {
    const test::SystemCopy system("hardware");
    std::ostringstream log;
    const util::log::LogCopy copy(log);
    const std::string path = battery("BAT1", "% Charge");
    util::system::monitoring::WmiDataCollector collector(
        std::make_unique<LinuxCounterQuery>(system.root()), path, Units::Percentage, "Battery");
    const auto buffer = collector.createBuffer(1);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 40.0);

    system.move(std::string(batteryFolder) + "BAT1", "out");
    collector.collect();
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 0.0);

    system.move("out", std::string(batteryFolder) + "BAT1");
    system.write(std::string(batteryFolder) + "BAT1/capacity", "41");
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 41.0);
    EXPECT_EQ(log.str(), test::lostAndFoundLines(path));
}
