#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/Failure.h"
#include "support/SystemCopy.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
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

// Writes straight to the disk of the working directory, where the build lives (a temporary
// directory may be in memory), waiting for each write: the writer stalls on input and output.
void stallOnTheDisk(std::chrono::milliseconds length) {
    const char* name = "pakvue-pressure-test.bin";
    int file = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT | O_DSYNC, 0600);
    const bool direct = file >= 0;
    if (!direct)
        file = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0) << "cannot write in the working directory";
    constexpr std::size_t block = 1 << 20;
    void* data = nullptr;
    ASSERT_EQ(::posix_memalign(&data, 4096, block), 0);
    std::fill_n(static_cast<char*>(data), block, 'x');
    const auto end = std::chrono::steady_clock::now() + length;
    for (off_t offset = 0; std::chrono::steady_clock::now() < end;
         offset = (offset + block) % (64 * block))
        if (::pwrite(file, data, block, offset) < 0 || (!direct && ::fdatasync(file) != 0))
            break;
    std::free(data);
    ::close(file);
    ::unlink(name);
}

// More threads spinning than there are processors: some always wait for one.
void stallOnTheProcessors(std::chrono::milliseconds length) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> spinners;
    for (unsigned i = 0; i < 2 * std::max(1u, std::thread::hardware_concurrency()); ++i)
        spinners.emplace_back([&] {
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    std::this_thread::sleep_for(length);
    stop = true;
    for (std::thread& spinner : spinners)
        spinner.join();
}

std::optional<double> someTotal(const char* resource) {
    std::ifstream file(std::string("/proc/pressure/") + resource);
    std::string word;
    while (file >> word)
        if (word.starts_with("total="))
            return std::stod(word.substr(6));
    return std::nullopt;
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
    stallOnTheDisk(interval);
    query.collect();
    EXPECT_GT(query.read(io), 0.0) << "waiting for each write to reach the disk";

    stallOnTheProcessors(interval);
    query.collect();
    EXPECT_GT(query.read(cpu), 20.0) << "twice as many spinning threads as processors";

    const auto before = someTotal("io");
    const auto start = std::chrono::steady_clock::now();
    query.collect();
    std::this_thread::sleep_for(interval);
    query.collect();
    const auto after = someTotal("io");
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(before && after);
    EXPECT_NEAR(query.read(io), (*after - *before) / 1e4 / seconds.count(), 2.0);
}
