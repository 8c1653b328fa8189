#pragma once

#include "gui/MonitorConfiguration.h"
#include "monitoring/DataCollector.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace test {

// A collector whose n-th sample is values(n).
class ScriptedCollector : public util::system::monitoring::DataCollector {
public:
    ScriptedCollector(Units units, std::string name, std::function<double(int)> values)
        : DataCollector(units, std::move(name)), values_(std::move(values)) {}
    void collect() override { publish(values_(count_++)); }

private:
    std::function<double(int)> values_;
    int count_ = 0;
};

struct GraphSpec {
    std::string name;
    Units units;
    std::function<double(int)> values;
    std::vector<gui::ColourConfiguration::Stop> colours;
};

// A monitor whose detail display shows `graphs` as gradient-filled lines, each with its own
// buffer of `history` samples, after `samples` sampling passes.
std::shared_ptr<gui::MonitorConfiguration> makeMonitor(const std::vector<GraphSpec>& graphs,
                                                       int history, std::uint32_t step,
                                                       InspectorType inspector, int samples);

// Three graphs of different units and shapes: processor percent, memory percent, network rate.
std::vector<GraphSpec> threeGraphs();

// A collector factory that needs no system counters: it accepts and refuses data sources as the
// program's does, and counts up from 0.
std::shared_ptr<util::system::monitoring::DataCollector>
counterlessCollector(Units units, const std::string& type, const std::string& name,
                     const std::string& label);

} // namespace test
