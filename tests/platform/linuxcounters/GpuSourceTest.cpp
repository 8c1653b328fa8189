#include "monitoring/WmiDataCollector.h"
#include "platform/linuxcounters/LinuxCounterQuery.h"
#include "support/CounterLog.h"
#include "support/Failure.h"
#include "support/SystemCopy.h"
#include "util/log/AppLog.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sstream>

using namespace platform::linuxcounters;

namespace {

std::string gpu(const std::string& instance, const char* counter) {
    return "\\GPU(" + instance + ")\\" + counter;
}

// The stand-in NVIDIA library that tests/CMakeLists.txt builds: loaded again here, it is the
// library the source loads, whose devices the test sets.
struct FakeNvml {
    void* library = ::dlopen(PAKVUE_FAKE_NVML, RTLD_NOW | RTLD_LOCAL);
    void (*devices)(unsigned count, bool driver) =
        reinterpret_cast<decltype(devices)>(::dlsym(library, "fakeNvmlSetDevices"));
    void (*device)(unsigned index, unsigned busy, unsigned long long used,
                   bool lost) = reinterpret_cast<decltype(device)>(::dlsym(library,
                                                                           "fakeNvmlSetDevice"));

    ~FakeNvml() {
        devices(0, true);
        ::dlclose(library);
    }
};

std::shared_ptr<SourceReader> withFakeNvml(const std::filesystem::path& root) {
    SystemPaths paths = SystemPaths::under(root);
    paths.nvml = PAKVUE_FAKE_NVML;
    return SourceReader::create(paths, {});
}

} // namespace

// The AMD card from sysfs and two NVIDIA ones from the library; the Intel card tells nothing.
// The total is the busiest GPU and all their memory.
TEST(GpuSource, ServesAmdgpuAndNvidiaCardsAndTheBusiestAsTheTotal) {
    const test::SystemCopy system("hardware");
    const FakeNvml nvml;
    nvml.devices(2, true);
    nvml.device(0, 80, 2'000'000'000, false);
    nvml.device(1, 5, 500'000'000, false);
    const auto reader = withFakeNvml(system.root());
    std::vector<std::string> expected;
    for (const char* instance : {"_Total", "card0", "nvidia0", "nvidia1"})
        for (const char* counter : {"% Utilization", "Dedicated Memory Bytes"})
            expected.push_back(gpu(instance, counter));
    EXPECT_EQ(test::listed("GPU", *reader), expected);

    LinuxCounterQuery query(reader);
    const auto amd = query.addCounter(gpu("card0", "% Utilization"));
    const auto amdMemory = query.addCounter(gpu("card0", "Dedicated Memory Bytes"));
    const auto nvidia = query.addCounter(gpu("nvidia1", "% Utilization"));
    const auto busiest = query.addCounter(gpu("_Total", "% Utilization"));
    const auto memory = query.addCounter(gpu("*", "Dedicated Memory Bytes"));
    EXPECT_EQ(test::failure([&] { query.addCounter(gpu("card1", "% Utilization")); }),
              "PdhAddCounter failed");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(amd), 37.0);
    EXPECT_EQ(query.read(amdMemory), 1073741824.0);
    EXPECT_EQ(query.read(nvidia), 5.0);
    EXPECT_EQ(query.read(busiest), 80.0);
    EXPECT_EQ(query.read(memory), 1073741824.0 + 2'500'000'000.0);

    system.write("sys/class/drm/card0/device/gpu_busy_percent", "99");
    nvml.device(0, 10, 2'000'000'000, false);
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(busiest), 99.0);
}

// Without the library, or with a library that finds no driver, there are no NVIDIA GPUs, and
// nothing says so: most machines have none.
TEST(GpuSource, WithoutTheNvidiaDriverThereAreNoNvidiaGpus) {
    const test::SystemCopy system("hardware");
    const FakeNvml nvml;
    nvml.devices(1, false);
    EXPECT_EQ(test::listed("GPU", *withFakeNvml(system.root())).size(), 4u)
        << "card0 and the total";
    EXPECT_EQ(test::listed("GPU", *SourceReader::under(system.root())).size(), 4u);
    std::filesystem::remove_all(system.root() / "sys/class/drm");
    LinuxCounterQuery query(system.root());
    EXPECT_EQ(test::failure([&] { query.addCounter(gpu("_Total", "% Utilization")); }),
              "PdhAddCounter failed");
}

// A GPU that falls off the bus and comes back: one Error line, then one Info line.
TEST(GpuSource, AGpuThatIsLostAndFoundAgainLogsOnceEachWay) {
    const test::SystemCopy system("hardware");
    const FakeNvml nvml;
    nvml.devices(1, true);
    nvml.device(0, 42, 1, false);
    std::ostringstream log;
    const util::log::LogCopy copy(log);
    const std::string path = gpu("nvidia0", "% Utilization");
    util::system::monitoring::WmiDataCollector collector(
        std::make_unique<LinuxCounterQuery>(withFakeNvml(system.root())), path, Units::Percentage,
        "GPU");
    const auto buffer = collector.createBuffer(1);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 42.0);

    nvml.device(0, 42, 1, true);
    collector.collect();
    nvml.devices(0, true);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 0.0);

    nvml.devices(1, true);
    nvml.device(0, 43, 1, false);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 43.0);
    EXPECT_EQ(log.str(), test::lostAndFoundLines(path));
}
