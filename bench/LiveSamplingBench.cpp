#include "AllocationCounter.h"
#include "monitoring/WmiDataCollector.h"
#include "platform/linuxcounters/LinuxCounterQuery.h"

#include <benchmark/benchmark.h>
#include <thread>

using namespace util::system::monitoring;

namespace {

// Samples the collectors once per iteration and counts the heap allocations of the passes. The
// pause between passes lets every source be read again.
void samplePasses(benchmark::State& state,
                  const std::vector<std::shared_ptr<DataCollector>>& collectors) {
    const std::uint64_t before = bench::allocationCount();
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state.ResumeTiming();
        for (const auto& collector : collectors)
            collector->collect();
    }
    state.counters["allocs/pass"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
}

// One tick of eight counters on the live system (processor, memory, disk and network, two
// each, as scripts/cost.sh runs them).
void liveSamplingPass(benchmark::State& state) {
    const std::pair<const char*, const char*> sources[] = {
        {"wmi", "\\Processor(_Total)\\% Processor Time"},
        {"wmi", "\\Processor(_Total)\\% Privileged Time"},
        {"win32", ""},
        {"wmi", "\\Memory\\% Committed Bytes In Use"},
        {"wmi", "\\PhysicalDisk(_Total)\\Disk Read Bytes/sec"},
        {"wmi", "\\PhysicalDisk(_Total)\\Disk Write Bytes/sec"},
        {"wmi", "\\Network Interface(_Total)\\Bytes Received/sec"},
        {"wmi", "\\Network Interface(_Total)\\Bytes Sent/sec"},
    };
    std::vector<std::shared_ptr<DataCollector>> collectors;
    for (const auto& [type, name] : sources) {
        collectors.push_back(createDataCollector(Units::Rate, type, name, name));
        collectors.back()->createBuffer(2);
    }
    samplePasses(state, collectors);
}
BENCHMARK(liveSamplingPass)->Iterations(200)->Unit(benchmark::kMicrosecond);

// One tick of the four graphs scripts/cost.sh adds: a temperature and the battery from the
// copy of a laptop's /sys under tests/data, pressure and a process of the live system.
void hardwareSamplingPass(benchmark::State& state) {
    platform::linuxcounters::SystemPaths paths;
    paths.sys = PAKVUE_HARDWARE_SYS;
    const auto reader = platform::linuxcounters::SourceReader::create(paths, {});
    const char* const counters[] = {
        "\\Temperature(_Total)\\Degrees Celsius",
        "\\Battery(_Total)\\% Charge",
        "\\Pressure(cpu)\\% Some Stalled",
        "\\Process(pakvue_bench)\\% Processor Time",
    };
    std::vector<std::shared_ptr<DataCollector>> collectors;
    for (const char* path : counters) {
        collectors.push_back(std::make_shared<WmiDataCollector>(
            std::make_unique<platform::linuxcounters::LinuxCounterQuery>(reader), path, Units::None,
            path));
        collectors.back()->createBuffer(2);
    }
    samplePasses(state, collectors);
}
BENCHMARK(hardwareSamplingPass)->Iterations(200)->Unit(benchmark::kMicrosecond);

} // namespace
