#include "AllocationCounter.h"
#include "gui/detail/DetailWindow.h"
#include "gui/detail/WindowManager.h"
#include "platform/headless/HeadlessDesktop.h"
#include "support/MonitorFixture.h"

#include <benchmark/benchmark.h>
#include <mutex>

namespace {

// One refresh of a shown detail window, as its frame thread does it after a new sample: the
// sampling pass, the legend, the graph's frame, then the paint that composes the controls and
// presents the window's pixels.
void detailWindowRefresh(benchmark::State& state) {
    platform::headless::HeadlessDesktop desktop;
    platform::installDesktop(&desktop);
    {
        auto monitor = test::makeMonitor(test::threeGraphs(), 600, 4, InspectorType::Floating, 600);
        auto window = std::make_shared<gui::DetailWindow>(std::make_shared<gui::WindowManager>(),
                                                          monitor, 480, 81);
        window->build();
        window->show(1700, 1060, true);
        window->stopAndWait(); // the benchmark draws the frames itself
        desktop.pump();
        const std::uint64_t before = bench::allocationCount();
        for (auto _ : state) {
            monitor->dataSet->update();
            {
                std::lock_guard lock(window->treeMutex());
                window->updateLegend();
                window->graph()->renderGraph(true);
            }
            desktop.redraw(window->hwnd);
        }
        state.counters["allocs/frame"] =
            benchmark::Counter(static_cast<double>(bench::allocationCount() - before),
                               benchmark::Counter::kAvgIterations);
    }
    platform::installDesktop(nullptr);
}
BENCHMARK(detailWindowRefresh);

} // namespace
