#include "platform/linuxcounters/LinuxCounterQuery.h"

#include "monitoring/WmiDataCollector.h"
#include "platform/linuxcounters/DiskSource.h"
#include "support/Failure.h"
#include "support/LogCapture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using platform::linuxcounters::LinuxCounterQuery;
using namespace util::system::monitoring;

namespace {

// A copy of the system's files that shows the first snapshot until next() puts the second in its
// place.
class FakeSystem {
public:
    FakeSystem() { show("first"); }
    void next() { show("second"); }
    const std::filesystem::path& root() const { return dir_.path(); }

private:
    void show(const char* snapshot) {
        std::filesystem::copy(std::string(PAKVUE_TEST_DATA) + "/counters/" + snapshot, dir_.path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }
    test::TemporaryDirectory dir_;
};

} // namespace

TEST(LinuxCounterQuery, ComputesEachCounterBetweenTwoCollects) {
    FakeSystem system;
    LinuxCounterQuery query(system.root());
    const std::pair<const char*, double> expected[] = {
        {"\\Processor(_Total)\\% Processor Time", 60.0},
        {"\\processor(_total)\\% user time", 40.0}, // names match without regard to case
        {"\\Processor(_Total)\\% Privileged Time", 20.0},
        {"\\Processor(0)\\% Processor Time", 50.0},
        {"\\Memory\\Available Bytes", 2048000000.0},
        {"\\Memory\\Cache Bytes", 1024000000.0},
        {"\\Memory\\% Committed Bytes In Use", 25.0},
        {"\\Network Interface(eth0)\\Bytes Received/sec", 100000.0},
        {"\\Network Interface(eth0)\\Bytes Sent/sec", 20000.0},
        {"\\Network Interface(_Total)\\Bytes Total/sec", 120000.0}, // without the loopback
        {"\\Network Interface(*)\\Bytes Total/sec", 120000.0},      // the wildcard is the total
        {"\\PhysicalDisk(sda)\\Disk Read Bytes/sec", 1024000.0},
        {"\\PhysicalDisk(sda)\\Disk Write Bytes/sec", 512000.0},
        {"\\PhysicalDisk(_Total)\\Disk Bytes/sec", 1536000.0}, // partitions and loops left out
        {"\\PhysicalDisk(_Total)\\% Disk Time", 50.0},
        {"\\System\\Processes", 3.0},
        {"\\System\\Threads", 350.0},
        {"\\System\\System Up Time", 1002.0},
    };
    std::vector<std::size_t> counters;
    for (const auto& [path, value] : expected)
        counters.push_back(query.addCounter(path));
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(test::failure([&] { query.read(counters[0]); }), "GetFormattedCounterValue failed");
    EXPECT_EQ(query.read(counters[4]), 2048000000.0); // a level needs one collect only
    system.next();
    ASSERT_TRUE(query.collect());
    for (std::size_t i = 0; i < counters.size(); ++i)
        EXPECT_DOUBLE_EQ(query.read(counters[i]), expected[i].second) << expected[i].first;
    EXPECT_EQ(platform::linuxcounters::SourceReader::under(system.root())->memoryLoad(), 75u);
}

TEST(LinuxCounterQuery, RefusesPathsItDoesNotServe) {
    FakeSystem system;
    LinuxCounterQuery query(system.root());
    for (const char* path :
         {"\\Processor(_Total)\\Bogus", "\\Processor(9)\\% Processor Time",
          "Processor(_Total)\\% Processor Time", "\\Processor\\% Processor Time",
          "\\Memory(x)\\Available Bytes", "\\Network Interface(wlan9)\\Bytes Sent/sec", "", "\\",
          "\\Processor(_Total\\% Processor Time"})
        EXPECT_EQ(test::failure([&] { query.addCounter(path); }), "PdhAddCounter failed") << path;
}

TEST(LinuxCounterQuery, ASourceThatGoesAwayFailsItsReads) {
    FakeSystem system;
    LinuxCounterQuery query(system.root());
    const auto counter = query.addCounter("\\Network Interface(eth0)\\Bytes Sent/sec");
    query.collect();
    std::filesystem::remove(system.root() / "proc/net/dev");
    query.collect();
    EXPECT_EQ(test::failure([&] { query.read(counter); }), "GetFormattedCounterValue failed");
    EXPECT_EQ(platform::linuxcounters::SourceReader::under(system.root() / "missing")->memoryLoad(),
              0u);
}

// The program's reader of the live system shares a reading among the queries of one tick only:
// a collect one shortest update interval later reads the sources again, or every rate of that
// tick would read zero. The up time of a query that reads a source is the time of its reading.
TEST(LinuxCounterQuery, TheLiveSystemIsReadAgainAtTheNextTick) {
    const std::unique_ptr<platform::CounterQuery> query = platform::openCounterQuery();
    query->addCounter("\\Processor(_Total)\\% Processor Time");
    const std::size_t upTime = query->addCounter("\\System\\System Up Time");
    ASSERT_TRUE(query->collect());
    const double first = query->read(upTime);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(query->collect());
    EXPECT_GE(query->read(upTime) - first, 0.09) << "the second collect reused the first reading";
}

// Each device reads its own power of two of sectors, so that a wrong total, in sectors, shows
// in binary which devices it took. Real disks have an empty slaves/ folder.
TEST(DiskSource, TotalsTheWholeDisksThatSysfsListsOrElseTheirNamesTell) {
    test::TemporaryDirectory root;
    const auto block = root.path() / "sys/block";
    for (const char* folder : {"sda/sda1", "sda/slaves", "sdaa/slaves", "nvme0n1/slaves",
                               "nvme0n10", "dm-0/slaves", "loop0/slaves", "ram0", "zram0"})
        std::filesystem::create_directories(block / folder);
    std::ofstream(block / "dm-0/slaves/sda1") << "";
    std::filesystem::create_directories(root.path() / "proc");
    std::ofstream diskstats(root.path() / "proc/diskstats");
    auto addDisk = [&, sectors = 1](const char* name) mutable { // flushed: read while open
        diskstats << " 8 0 " << name << " 1 0 " << sectors << " 0 0 0 0 0 0 " << sectors
                  << " 0 0 0 0" << std::endl;
        sectors *= 2;
    };
    for (const char* name :
         {"sda", "sda1", "sdaa", "nvme0n1", "nvme0n10", "dm-0", "loop0", "ram0", "zram0"})
        addDisk(name);
    const auto totalSectors = [&] {
        platform::linuxcounters::DiskSource disks(
            platform::linuxcounters::SystemPaths::under(root.path()));
        disks.refresh({});
        return disks.read(0, "_Total")->count / 512.0;
    };
    const double wholeDisks = 1 + 4 + 8 + 16; // sda, sdaa, nvme0n1, nvme0n10
    EXPECT_EQ(totalSectors(), wholeDisks);
    // sysfs spells the '/' of a disk's name as '!'.
    std::filesystem::create_directories(block / "cciss!c0d0/cciss!c0d0p1");
    addDisk("cciss/c0d0");
    addDisk("cciss/c0d0p1");
    EXPECT_EQ(totalSectors(), wholeDisks + 512);
    // Without sysfs the names decide, and the device-mapper disk is left out, not counted twice.
    std::filesystem::remove_all(root.path() / "sys");
    EXPECT_EQ(totalSectors(), wholeDisks + 512);
}

TEST(WmiDataCollector, PublishesRatesFromTheFirstPassAndZeroWithAnErrorLineOnFailure) {
    test::TemporaryDirectory logDir;
    test::LogCapture log(logDir);
    log.open();
    FakeSystem system;
    const std::string path = "\\Network Interface(eth0)\\Bytes Received/sec";
    WmiDataCollector collector(std::make_unique<LinuxCounterQuery>(system.root()), path,
                               Units::Rate, "Network");
    const auto buffer = collector.createBuffer(3);
    system.next();
    collector.collect(); // the constructor took the first sample
    EXPECT_EQ(buffer->getLast(), 100000.0);
    collector.collect(); // no time has passed: nothing was measured, and that is no error
    EXPECT_EQ(buffer->getLast(), 0.0);
    std::filesystem::remove(system.root() / "proc/net/dev");
    collector.collect(); // the source went away
    EXPECT_EQ(buffer->getLast(), 0.0);
    const std::vector<test::LogLine> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u) << "one failed read, one line";
    EXPECT_EQ(lines[0].level + ": " + lines[0].message,
              "Error: data collection for wmi counter '" + path +
                  "' failed: GetFormattedCounterValue failed");
}

TEST(WmiDataCollector, TheFactoryBuildsCollectorsByTypeWithItsMessages) {
    EXPECT_EQ(test::failure([] { createDataCollector(Units::None, "WMI", "x", "l"); }),
              "unknown data source type.");
    EXPECT_EQ(test::failure([] { createDataCollector(Units::None, "wmi", "", "l"); }),
              "invalid data source name.");
    EXPECT_EQ(
        test::failure([] { createDataCollector(Units::None, "wmi", "\\Nothing\\Here", "l"); }),
        "PdhAddCounter failed");
    const auto memory = createDataCollector(Units::Percentage, "win32", "", "Memory");
    EXPECT_EQ(memory->getName(), "Memory");
}

// The live system: values in range, whatever the machine is doing.
TEST(WmiDataCollector, ReadsTheLiveSystem) {
    const auto cpu = createDataCollector(Units::Percentage, "wmi",
                                         "\\Processor(_Total)\\% Processor Time", "CPU");
    const auto memory = createDataCollector(Units::Percentage, "win32", "", "Memory");
    const auto cpuBuffer = cpu->createBuffer(1);
    const auto memoryBuffer = memory->createBuffer(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cpu->collect();
    memory->collect();
    EXPECT_GE(cpuBuffer->getLast(), 0.0);
    EXPECT_LE(cpuBuffer->getLast(), 100.0);
    const double load = memoryBuffer->getLast();
    EXPECT_GT(load, 0.0);
    EXPECT_LE(load, 100.0);
    EXPECT_EQ(load, std::floor(load));
}
