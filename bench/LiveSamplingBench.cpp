#include "AllocationCounter.h"
#include "monitoring/WmiDataCollector.h"

#include <benchmark/benchmark.h>
#include <thread>

using namespace util::system::monitoring;

namespace {

// One tick of eight counters on the live system (processor, memory, disk and network, two
// each, as scripts/cost.sh runs them). The pause between passes lets every source be read again.
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
BENCHMARK(liveSamplingPass)->Iterations(200)->Unit(benchmark::kMicrosecond);

} // namespace
