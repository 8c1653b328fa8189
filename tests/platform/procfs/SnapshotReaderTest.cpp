#include "platform/procfs/SnapshotReader.h"

#include "platform/procfs/ProcfsCounterQuery.h"
#include "support/TemporaryDirectory.h"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace platform::procfs;

namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

const char* const netDevHeading = "Inter-|   Receive |  Transmit\n face |bytes packets|bytes\n";

std::string netDevLine(const char* name, int received, int sent) {
    return std::string(name) + ": " + std::to_string(received) + " 0 0 0 0 0 0 0 " +
           std::to_string(sent) + " 0 0 0 0 0 0 0\n";
}

} // namespace

// Queries of one tick share a reading: the second collect sees what the first one read, though
// the files changed in between.
TEST(SnapshotReader, QueriesOfOneTickShareOneReadingOfASource) {
    test::TemporaryDirectory root;
    write(root.path() / "proc/uptime", "100.0 0\n");
    write(root.path() / "proc/stat", "cpu  10 0 10 80 0 0 0 0\n");
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("eth0", 0, 0));
    const auto reader = SnapshotReader::under(root.path(), std::chrono::hours(1));
    ProcfsCounterQuery first(reader);
    ProcfsCounterQuery second(reader);
    const auto busy = first.addCounter("\\Processor(_Total)\\% Processor Time");
    const auto alsoBusy = second.addCounter("\\Processor(_Total)\\% Processor Time");
    first.collect();
    second.collect();
    write(root.path() / "proc/uptime", "101.0 0\n");
    write(root.path() / "proc/stat", "cpu  60 0 10 130 0 0 0 0\n");
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("eth0", 500, 0));
    first.collect();
    second.collect();
    EXPECT_EQ(first.read(busy), 0.0) << "still the reading that the first collect made";
    EXPECT_EQ(second.read(alsoBusy), 0.0);

    // A source not read yet is read now; sources that one query needs together are read in
    // one pass, so that they share one moment.
    Snapshot snapshot;
    reader->read(NetDev, snapshot);
    EXPECT_EQ(snapshot.network.at("eth0").received, 500.0);
    reader->read(Stat | NetDev, snapshot);
    EXPECT_EQ(snapshot.cpus.at("_Total").user, 60.0);
    EXPECT_EQ(snapshot.uptimeSeconds, 101.0);

    // Without sharing every collect reads.
    ProcfsCounterQuery alone(root.path());
    const auto busyAlone = alone.addCounter("\\Processor(_Total)\\% Processor Time");
    alone.collect();
    write(root.path() / "proc/uptime", "102.0 0\n");
    write(root.path() / "proc/stat", "cpu  60 0 10 230 0 0 0 0\n");
    alone.collect();
    EXPECT_EQ(alone.read(busyAlone), 0.0);
}

// Parsing in place keeps the instances of the last reading; those that go away must go, and a
// missing file leaves its source empty, its total included.
TEST(SnapshotReader, InstancesFollowTheFilesAsTheyChange) {
    test::TemporaryDirectory root;
    write(root.path() / "proc/uptime", "100.0 0\n");
    const auto reader = SnapshotReader::under(root.path());
    Snapshot snapshot;
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("lo", 1, 1) +
                                            netDevLine("eth0", 10, 20) + netDevLine("wlan0", 5, 5));
    reader->read(NetDev, snapshot);
    EXPECT_EQ(snapshot.network.size(), 4u);
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("lo", 2, 2) +
                                            netDevLine("usb0", 7, 8) + netDevLine("wlan0", 6, 6));
    reader->read(NetDev, snapshot);
    ASSERT_EQ(snapshot.network.size(), 4u);
    EXPECT_EQ(snapshot.network.count("eth0"), 0u);
    EXPECT_EQ(snapshot.network.at("usb0").sent, 8.0);
    EXPECT_EQ(snapshot.network.at("_Total").received, 13.0);
    std::filesystem::remove(root.path() / "proc/net/dev");
    reader->read(NetDev, snapshot);
    EXPECT_TRUE(snapshot.network.empty());
}

// The live system's up time comes from the boot clock, which must agree with /proc/uptime.
TEST(SnapshotReader, TheBootClockIsTheSystemsUpTime) {
    Snapshot live;
    SnapshotReader::live({})->read(0, live);
    const Snapshot file = readSnapshot("/", 0);
    ASSERT_TRUE(live.uptimeSeconds && file.uptimeSeconds);
    EXPECT_NEAR(*live.uptimeSeconds, *file.uptimeSeconds, 1.0);
}

// Icons of one tick sample at the same moment on their own threads, some sharing a source.
TEST(SnapshotReader, ThreadsSampleOneReaderTogether) {
    test::TemporaryDirectory root;
    write(root.path() / "proc/uptime", "100.0 0\n");
    write(root.path() / "proc/stat", "cpu  10 0 10 80 0 0 0 0\n");
    write(root.path() / "proc/meminfo", "MemTotal: 100 kB\nMemAvailable: 25 kB\n");
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("eth0", 0, 0));
    const auto reader = SnapshotReader::under(root.path(), std::chrono::milliseconds(1));
    const char* const paths[] = {"\\Processor(_Total)\\% Processor Time",
                                 "\\Network Interface(eth0)\\Bytes Sent/sec",
                                 "\\Processor(_Total)\\% User Time", "\\Memory\\Available Bytes"};
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (const char* path : paths)
        threads.emplace_back([&, path] {
            ProcfsCounterQuery query(reader);
            const auto counter = query.addCounter(path);
            for (int pass = 0; pass < 200; ++pass)
                failures += query.collect() ? 0 : 1;
            failures += query.read(counter) >= 0.0 ? 0 : 1;
        });
    for (int pass = 0; pass < 200; ++pass)
        failures += reader->memoryLoad() == 75u ? 0 : 1;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
}
