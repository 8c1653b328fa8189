#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/Failure.h"
#include "support/SystemCopy.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace platform::linuxcounters;

namespace {

std::string pressure(const char* resource, const char* share) {
    return std::string("\\Pressure(") + resource + ")\\% " + share + " Stalled";
}

std::string totals(double some, double full) {
    return "some avg10=99.00 avg60=99.00 avg300=99.00 total=" + std::to_string(some) +
           "\nfull avg10=99.00 avg60=99.00 avg300=99.00 total=" + std::to_string(full);
}

} // namespace

// The share of each interval comes from the totals, whatever the kernel's ten-second average
// says; a processor without a "full" line has no such counter.
TEST(PressureSource, TheShareOfEachIntervalComesFromTheTotals) {
    const test::SystemCopy system("hardware");
    LinuxCounterQuery query(system.root());
    const auto memorySome = query.addCounter(pressure("memory", "Some"));
    const auto memoryFull = query.addCounter(pressure("memory", "Full"));
    const auto cpuSome = query.addCounter(pressure("cpu", "Some"));
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(test::failure([&] { query.read(memorySome); }), "GetFormattedCounterValue failed");

    system.write("proc/uptime", "1002.00 3000.00"); // two seconds later
    system.write("proc/pressure/memory", totals(1'500'000, 300'000));
    system.write("proc/pressure/cpu", totals(52'000'000 + 2'000'000, 0));
    ASSERT_TRUE(query.collect());
    EXPECT_DOUBLE_EQ(query.read(memorySome), 25.0);
    EXPECT_DOUBLE_EQ(query.read(memoryFull), 5.0);
    EXPECT_DOUBLE_EQ(query.read(cpuSome), 100.0);

    system.write("proc/pressure/cpu", "some avg10=0.00 avg60=0.00 avg300=0.00 total=7");
    LinuxCounterQuery older(system.root());
    EXPECT_NO_THROW(older.addCounter(pressure("cpu", "Some")));
    EXPECT_EQ(test::failure([&] { older.addCounter(pressure("cpu", "Full")); }),
              "PdhAddCounter failed");
    EXPECT_EQ(test::failure([&] { older.addCounter(pressure("gpu", "Some")); }),
              "PdhAddCounter failed");
    std::filesystem::remove_all(system.root() / "proc/pressure");
    LinuxCounterQuery withoutPressure(system.root());
    EXPECT_EQ(test::failure([&] { withoutPressure.addCounter(pressure("io", "Some")); }),
              "PdhAddCounter failed");
}

namespace {

// Writes straight to the disk of the working directory, where the build lives, waiting for each
// write: the writer stalls on input and output. False where the files of the working directory
// are in memory, which cannot be written past.
bool stallOnTheDisk(std::chrono::milliseconds length) {
    const char* name = "pakvue-pressure-test.bin";
    const int file = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT | O_DSYNC, 0600);
    if (file < 0)
        return false;
    constexpr std::size_t block = 1 << 20;
    const std::unique_ptr<char, decltype(&std::free)> data(
        static_cast<char*>(std::aligned_alloc(4096, block)), std::free);
    std::fill_n(data.get(), block, 'x');
    const auto end = std::chrono::steady_clock::now() + length;
    for (off_t at = 0;
         std::chrono::steady_clock::now() < end && ::pwrite(file, data.get(), block, at) > 0;)
        at = (at + static_cast<off_t>(block)) % (64 * static_cast<off_t>(block));
    ::close(file);
    ::unlink(name);
    return true;
}

// More threads spinning than there are processors: some always wait for one.
void stallOnTheProcessors(std::chrono::milliseconds length) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> spinners(2 * std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread& spinner : spinners)
        spinner = std::thread([&] {
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    std::this_thread::sleep_for(length);
    stop = true;
    for (std::thread& spinner : spinners)
        spinner.join();
}

double ioSomeTotal() {
    std::ifstream file("/proc/pressure/io");
    std::string word;
    while (file >> word && !word.starts_with("total=")) {
    }
    return std::stod(word.substr(6));
}

} // namespace

// Stalls that the test makes show, and an interval in which it does nothing reads what the
// kernel counted in it: close to zero on an idle machine, not the last ten seconds' average.
TEST(PressureSource, StallsMadeByTheTestShowOnThisMachine) {
    if (!std::filesystem::exists("/proc/pressure/io"))
        GTEST_SKIP() << "this kernel keeps no pressure stall information (/proc/pressure)";
    LinuxCounterQuery query(SourceReader::create({}, {}));
    const auto io = query.addCounter(pressure("io", "Some"));
    const auto cpu = query.addCounter(pressure("cpu", "Some"));
    const auto interval = std::chrono::milliseconds(1000);

    query.collect();
    const bool onDisk = stallOnTheDisk(interval);
    query.collect();
    EXPECT_TRUE(!onDisk || query.read(io) > 0.0) << "waiting for each write to reach the disk";

    stallOnTheProcessors(interval);
    query.collect();
    EXPECT_GT(query.read(cpu), 20.0) << "twice as many spinning threads as processors";

    const double before = ioSomeTotal();
    const auto start = std::chrono::steady_clock::now();
    query.collect();
    std::this_thread::sleep_for(interval);
    query.collect();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    EXPECT_NEAR(query.read(io), (ioSomeTotal() - before) / 1e4 / seconds.count(), 2.0);
}
