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

// The fake NVIDIA library that tests/CMakeLists.txt builds, as loaded by the source: loading
// it again gives the same library, whose devices the test sets.
class FakeNvml {
public:
    FakeNvml() : library_(::dlopen(PAKVUE_FAKE_NVML, RTLD_NOW | RTLD_LOCAL)) {
        setDevices_ =
            reinterpret_cast<void (*)(unsigned, bool)>(::dlsym(library_, "fakeNvmlSetDevices"));
        setDevice_ = reinterpret_cast<void (*)(unsigned, unsigned, unsigned long long, bool)>(
            ::dlsym(library_, "fakeNvmlSetDevice"));
    }
    ~FakeNvml() {
        setDevices_(0, true);
        ::dlclose(library_);
    }

    void devices(unsigned count, bool driver = true) const { setDevices_(count, driver); }
    void device(unsigned index, unsigned busy, unsigned long long used, bool lost = false) const {
        setDevice_(index, busy, used, lost);
    }

    static std::shared_ptr<SourceReader> reader(const std::filesystem::path& root) {
        SystemPaths paths = SystemPaths::under(root);
        paths.nvml = PAKVUE_FAKE_NVML;
        return SourceReader::create(paths, {});
    }

private:
    void* library_;
    void (*setDevices_)(unsigned, bool);
    void (*setDevice_)(unsigned, unsigned, unsigned long long, bool);
};

std::vector<std::string> gpus(SourceReader& reader) {
    std::vector<std::string> paths;
    for (const auto& counter : reader.list())
        if (counter.path.starts_with("\\GPU("))
            paths.push_back(counter.path);
    return paths;
}

} // namespace

// The AMD card from sysfs and two NVIDIA ones from the library; the Intel card tells nothing.
// The total is the busiest GPU and all their memory.
TEST(GpuSource, ServesAmdgpuAndNvidiaCardsAndTheBusiestAsTheTotal) {
    const test::SystemCopy system("hardware");
    const FakeNvml nvml;
    nvml.devices(2);
    nvml.device(0, 80, 2'000'000'000);
    nvml.device(1, 5, 500'000'000);
    const auto reader = FakeNvml::reader(system.root());
    std::vector<std::string> expected;
    for (const char* instance : {"_Total", "card0", "nvidia0", "nvidia1"})
        for (const char* counter : {"% Utilization", "Dedicated Memory Bytes"})
            expected.push_back(gpu(instance, counter));
    EXPECT_EQ(gpus(*reader), expected);

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
    nvml.device(0, 10, 2'000'000'000);
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(busiest), 99.0);
}

// Without the library, or with a library that finds no driver, there are no NVIDIA GPUs, and
// nothing says so: most machines have none.
TEST(GpuSource, WithoutTheNvidiaDriverThereAreNoNvidiaGpus) {
    const test::SystemCopy system("hardware");
    const FakeNvml nvml;
    nvml.devices(1, false);
    EXPECT_EQ(gpus(*FakeNvml::reader(system.root())).size(), 4u) << "card0 and the total";
    EXPECT_EQ(gpus(*SourceReader::under(system.root())).size(), 4u);
    std::filesystem::remove_all(system.root() / "sys/class/drm");
    LinuxCounterQuery query(system.root());
    EXPECT_EQ(test::failure([&] { query.addCounter(gpu("_Total", "% Utilization")); }),
              "PdhAddCounter failed");
}

// A GPU that falls off the bus and comes back: one Error line, then one Info line.
TEST(GpuSource, AGpuThatIsLostAndFoundAgainLogsOnceEachWay) {
    const test::SystemCopy system("hardware");
    const FakeNvml nvml;
    nvml.devices(1);
    nvml.device(0, 42, 1);
    std::ostringstream log;
    const util::log::LogCopy copy(log);
    const std::string path = gpu("nvidia0", "% Utilization");
    util::system::monitoring::WmiDataCollector collector(
        std::make_unique<LinuxCounterQuery>(FakeNvml::reader(system.root())), path,
        Units::Percentage, "GPU");
    const auto buffer = collector.createBuffer(1);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 42.0);

    nvml.device(0, 42, 1, true);
    collector.collect();
    nvml.devices(0);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 0.0);

    nvml.devices(1);
    nvml.device(0, 43, 1);
    collector.collect();
    EXPECT_EQ(buffer->getLast(), 43.0);
    EXPECT_EQ(log.str(), test::lostAndFoundLines(path));
}
