#include "AllocationCounter.h"
#include "gui/BarRenderingMethod.h"
#include "gui/DataSet.h"
#include "gui/FrameRenderer.h"
#include "gui/LineRenderingMethod.h"

#include <benchmark/benchmark.h>

using namespace gui;

namespace {

const auto greenToRed =
    std::make_shared<ColourConfiguration>(std::vector<ColourConfiguration::Stop>{
        {0, Colour(0, 255, 0, 255)}, {100, Colour(255, 0, 0, 255)}});

GraphConfiguration graphOf(std::shared_ptr<RenderingMethod> method, int samples, int seed,
                           FillMode fill) {
    auto buffer = std::make_shared<util::system::monitoring::DataBuffer>(Units::Percentage, 122);
    for (int i = 0; i < 122; ++i)
        buffer->push((i * 37 + seed * 11) % 100);
    GraphConfiguration graph;
    graph.buffer = buffer;
    graph.view = buffer->createView(0, samples);
    graph.renderingMethod = std::move(method);
    graph.colours = greenToRed;
    graph.fillMode = fill;
    graph.highlight = {true, false, 90, Units::Percentage, Colour(255, 0, 0, 191)};
    return graph;
}

// Times one frame after a warm-up frame, and counts its heap allocations.
void renderFrames(benchmark::State& state, DisplayConfiguration& display, int width, int height) {
    const auto dataSet = std::make_shared<DataSet>(Collectors{});
    Bitmap<Pixel> bitmap(width, height);
    drawFrame(bitmap, display, *dataSet);
    const std::uint64_t before = bench::allocationCount();
    for (auto _ : state) {
        drawFrame(bitmap, display, *dataSet);
        benchmark::DoNotOptimize(bitmap.pixels().data());
    }
    state.counters["allocs/frame"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
}

// A tray icon's frame: 16 x 16, two graphs at a step of 2.
void trayFrame(benchmark::State& state) {
    DisplayConfiguration display;
    display.step = 2;
    display.background = Colour(0, 0, 0, 127);
    display.graphs = {graphOf(std::make_shared<LineRenderingMethod>(), 10, 1, FillMode::None),
                      graphOf(std::make_shared<BarRenderingMethod>(), 10, 2, FillMode::None)};
    renderFrames(state, display, 16, 16);
}
BENCHMARK(trayFrame);

// A detail window's graph: 480 x 81, four graphs with gradient fill, the grid, two gauges.
void detailFrame(benchmark::State& state) {
    DisplayConfiguration display;
    display.step = 4;
    display.background = Colour(0, 0, 0, 127);
    display.gaugeLines = {{50, Colour(255, 255, 255, 128), 3}, {80, Colour(255, 255, 0, 128), 3}};
    for (int i = 0; i < 4; ++i) {
        display.graphs.push_back(
            graphOf(std::make_shared<LineRenderingMethod>(), 122, i, FillMode::Gradient));
    }
    renderFrames(state, display, 480, 81);
}
BENCHMARK(detailFrame)->Unit(benchmark::kMicrosecond);

} // namespace
