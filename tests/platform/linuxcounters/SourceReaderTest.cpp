#include "platform/linuxcounters/SourceReader.h"

#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/TemporaryDirectory.h"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace platform::linuxcounters;

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

// What the reader's latest reading of a source says of one counter of one instance.
std::optional<Reading> latest(SourceReader& reader, const char* object, const char* counter,
                              const char* instance, SourceReader::SourceSet also = 0) {
    const auto found = reader.find(object, counter);
    return reader.look(SourceReader::setOf(found->source) | also,
                       [&](const SourceList& sources, std::optional<double>) {
                           return sources[found->source]->read(found->counter, instance);
                       });
}

std::optional<double> received(SourceReader& reader, const char* interface) {
    const auto reading = latest(reader, "Network Interface", "Bytes Received/sec", interface);
    return reading ? std::optional(reading->count) : std::nullopt;
}

} // namespace

// Queries of one tick share a reading: the second collect sees what the first one read, though
// the files changed in between.
TEST(SourceReader, QueriesOfOneTickShareOneReadingOfASource) {
    test::TemporaryDirectory root;
    write(root.path() / "proc/uptime", "100.0 0\n");
    write(root.path() / "proc/stat", "cpu  10 0 10 80 0 0 0 0\n");
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("eth0", 0, 0));
    const auto reader = SourceReader::under(root.path(), std::chrono::hours(1));
    LinuxCounterQuery first(reader);
    LinuxCounterQuery second(reader);
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
    EXPECT_EQ(received(*reader, "eth0"), 500.0);
    const auto network = reader->find("Network Interface", "Bytes Sent/sec")->source;
    const auto user =
        latest(*reader, "Processor", "% User Time", "_Total", SourceReader::setOf(network));
    EXPECT_EQ(user->count, 60.0);
    const auto uptime = reader->look(SourceReader::setOf(network),
                                     [](const auto&, auto seconds) { return seconds; });
    EXPECT_EQ(uptime, 101.0);

    // Without sharing every collect reads.
    LinuxCounterQuery alone(root.path());
    const auto busyAlone = alone.addCounter("\\Processor(_Total)\\% Processor Time");
    alone.collect();
    write(root.path() / "proc/uptime", "102.0 0\n");
    write(root.path() / "proc/stat", "cpu  60 0 10 230 0 0 0 0\n");
    alone.collect();
    EXPECT_EQ(alone.read(busyAlone), 0.0);
}

// Parsing in place keeps the instances of the last reading; those that go away must go, and a
// missing file leaves its source empty, its total included.
TEST(SourceReader, InstancesFollowTheFilesAsTheyChange) {
    test::TemporaryDirectory root;
    write(root.path() / "proc/uptime", "100.0 0\n");
    const auto reader = SourceReader::under(root.path());
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("lo", 1, 1) +
                                            netDevLine("eth0", 10, 20) + netDevLine("wlan0", 5, 5));
    EXPECT_EQ(received(*reader, "eth0"), 10.0);
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("lo", 2, 2) +
                                            netDevLine("usb0", 7, 8) + netDevLine("wlan0", 6, 6));
    EXPECT_EQ(received(*reader, "eth0"), std::nullopt);
    EXPECT_EQ(latest(*reader, "Network Interface", "Bytes Sent/sec", "usb0")->count, 8.0);
    EXPECT_EQ(received(*reader, "_Total"), 13.0);
    std::filesystem::remove(root.path() / "proc/net/dev");
    EXPECT_EQ(received(*reader, "_Total"), std::nullopt);
    EXPECT_EQ(received(*reader, "wlan0"), std::nullopt);
}

// The live system's up time comes from the boot clock, which must agree with /proc/uptime.
TEST(SourceReader, TheBootClockIsTheSystemsUpTime) {
    const auto uptime = [](SourceReader& reader) {
        return reader.look(0, [](const auto&, std::optional<double> seconds) { return seconds; });
    };
    const auto live = uptime(*SourceReader::create({}, {}));
    const auto file = uptime(*SourceReader::under("/"));
    ASSERT_TRUE(live && file);
    EXPECT_NEAR(*live, *file, 1.0);
}

// Icons of one tick sample at the same moment on their own threads, some sharing a source.
TEST(SourceReader, ThreadsSampleOneReaderTogether) {
    test::TemporaryDirectory root;
    write(root.path() / "proc/uptime", "100.0 0\n");
    write(root.path() / "proc/stat", "cpu  10 0 10 80 0 0 0 0\n");
    write(root.path() / "proc/meminfo", "MemTotal: 100 kB\nMemAvailable: 25 kB\n");
    write(root.path() / "proc/net/dev", std::string(netDevHeading) + netDevLine("eth0", 0, 0));
    const auto reader = SourceReader::under(root.path(), std::chrono::milliseconds(1));
    const char* const paths[] = {"\\Processor(_Total)\\% Processor Time",
                                 "\\Network Interface(eth0)\\Bytes Sent/sec",
                                 "\\Processor(_Total)\\% User Time", "\\Memory\\Available Bytes"};
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (const char* path : paths)
        threads.emplace_back([&, path] {
            LinuxCounterQuery query(reader);
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

// Every listed path loads in a query of the same system, and every source lists its instances
// with its total first.
TEST(SourceReader, ListsEveryCounterOfEveryInstanceAndEachLoads) {
    test::TemporaryDirectory root;
    std::filesystem::copy(std::string(PAKVUE_TEST_DATA) + "/counters/first", root.path(),
                          std::filesystem::copy_options::recursive);
    const auto reader = SourceReader::under(root.path());
    std::vector<std::string> paths;
    for (const auto& listed : reader->list())
        paths.push_back(listed.path);
    const std::vector<std::string> expected = {
        "\\Processor(_Total)\\% Processor Time",
        "\\Processor(_Total)\\% User Time",
        "\\Processor(_Total)\\% Privileged Time",
        "\\Processor(0)\\% Processor Time",
    };
    ASSERT_GT(paths.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), paths.begin()));
    for (const char* path :
         {"\\Memory\\Available Bytes", "\\Network Interface(lo)\\Bytes Sent/sec",
          "\\PhysicalDisk(_Total)\\% Disk Time", "\\System\\Threads", "\\System\\System Up Time"})
        EXPECT_EQ(std::count(paths.begin(), paths.end(), path), 1) << path;
    LinuxCounterQuery query(reader);
    for (const std::string& path : paths)
        EXPECT_NO_THROW(query.addCounter(path)) << path;
}
