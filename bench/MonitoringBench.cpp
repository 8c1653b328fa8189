#include "AllocationCounter.h"
#include "gui/DataSet.h"
#include "monitoring/DataBufferView.h"
#include "monitoring/ValueFormat.h"

#include <benchmark/benchmark.h>

using namespace util::system::monitoring;

namespace {

// Reports heap allocations per iteration of the timed loop as a counter.
class AllocationsPerIteration {
public:
    explicit AllocationsPerIteration(benchmark::State& state)
        : state_(state), start_(bench::allocationCount()) {}
    ~AllocationsPerIteration() {
        state_.counters["allocs/iter"] =
            benchmark::Counter(static_cast<double>(bench::allocationCount() - start_),
                               benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    std::uint64_t start_;
};

class SineCollector : public DataCollector {
public:
    SineCollector() : DataCollector(Units::Rate, "sine") {}
    void collect() override { publish(static_cast<double>(++step_ % 97) * 1000.0); }

private:
    unsigned step_ = 0;
};

// One icon's sampling pass: four graphs, each feeding a tray and a detail buffer.
void dataSetUpdate(benchmark::State& state) {
    gui::Collectors collectors;
    for (int i = 0; i < 4; ++i) {
        auto collector = std::make_shared<SineCollector>();
        collector->createBuffer(30);
        collector->createBuffer(122);
        collectors.push_back(collector);
    }
    auto dataSet = std::make_shared<gui::DataSet>(std::move(collectors));
    AllocationsPerIteration allocations(state);
    for (auto _ : state)
        dataSet->update();
}
BENCHMARK(dataSetUpdate);

// What a detail graph reads per frame: every value of a 482-sample view and its statistics.
void detailViewRead(benchmark::State& state) {
    auto buffer = std::make_shared<DataBuffer>(Units::Rate, 600);
    for (int i = 0; i < 600; ++i)
        buffer->push(i * 37 % 1000);
    auto view = buffer->createView(40, 482);
    AllocationsPerIteration allocations(state);
    for (auto _ : state) {
        double sum = view->getScaledMaximum() + view->getAverage() + view->getLast();
        for (int i = 0; i < view->getSize(); ++i)
            sum += view->getValue(i);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(detailViewRead);

// A legend row's three values.
void legendFormat(benchmark::State& state) {
    AllocationsPerIteration allocations(state);
    double value = 1536.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatValue(value, Units::Rate));
        benchmark::DoNotOptimize(formatValue(value * 3, Units::Size));
        benchmark::DoNotOptimize(formatValue(value / 100, Units::Percentage));
        value += 1.0;
    }
}
BENCHMARK(legendFormat);

} // namespace
