#include "support/MonitorFixture.h"

#include "gui/DataSet.h"
#include "gui/LineRenderingMethod.h"

#include <cmath>

namespace test {

std::shared_ptr<gui::MonitorConfiguration> makeMonitor(const std::vector<GraphSpec>& graphs,
                                                       int history, std::uint32_t step,
                                                       InspectorType inspector, int samples) {
    auto monitor = std::make_shared<gui::MonitorConfiguration>();
    gui::DisplayConfiguration& display = monitor->detail;
    display.step = step;
    display.background = Colour(0, 0, 0, 255);
    display.gaugeLines = {{50, Colour(255, 255, 255, 128), 3}};
    display.inspectorType = inspector;
    display.totalCount = history;
    gui::Collectors collectors;
    for (const GraphSpec& wanted : graphs) {
        auto collector =
            std::make_shared<ScriptedCollector>(wanted.units, wanted.name, wanted.values);
        gui::GraphConfiguration graph;
        graph.collector = collector;
        graph.buffer = collector->createBuffer(static_cast<std::uint32_t>(history));
        graph.view = graph.buffer->createView(0, 10);
        graph.renderingMethod = std::make_shared<gui::LineRenderingMethod>();
        graph.colours = std::make_shared<gui::ColourConfiguration>(wanted.colours);
        graph.fillMode = FillMode::Gradient;
        display.graphs.push_back(graph);
        collectors.push_back(collector);
    }
    monitor->dataSet = std::make_shared<gui::DataSet>(collectors);
    for (int i = 0; i < samples; ++i)
        monitor->dataSet->update();
    return monitor;
}

std::vector<GraphSpec> threeGraphs() {
    using Stop = gui::ColourConfiguration::Stop;
    return {
        {"Processor",
         Units::Percentage,
         [](int i) { return 50.0 + 40.0 * std::sin(i * 0.15); },
         {Stop{0, Colour(0, 255, 0, 255)}, Stop{100, Colour(255, 0, 0, 255)}}},
        {"Memory",
         Units::Percentage,
         [](int i) { return 30.0 + (i % 50) * 0.4; },
         {Stop{0, Colour(0, 128, 255, 255)}, Stop{100, Colour(255, 255, 255, 255)}}},
        {"Network",
         Units::Rate,
         [](int i) { return i % 17 == 0 ? 80000.0 : 20000.0 + (i % 7) * 3000.0; },
         {Stop{0, Colour(255, 200, 0, 255)}, Stop{100000, Colour(255, 0, 255, 255)}}},
    };
}

std::shared_ptr<util::system::monitoring::DataCollector>
counterlessCollector(Units units, const std::string& type, const std::string& name,
                     const std::string& label) {
    util::system::monitoring::checkDataSource(type, name);
    return std::make_shared<ScriptedCollector>(units, label, [](int i) { return i; });
}

} // namespace test
