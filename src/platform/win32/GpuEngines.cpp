#include "platform/win32/GpuEngines.h"

#include <algorithm>

namespace platform::win32 {

namespace {

constexpr std::string_view adapterStart = "luid_";
constexpr std::string_view engineStart = "_eng_";

} // namespace

void GpuEngines::clear() {
    for (Engine& engine : engines_) {
        engine.utilization = 0.0;
        engine.present = false;
    }
}

void GpuEngines::add(std::string_view instance, double utilization) {
    const auto start = instance.find(adapterStart);
    if (start == std::string_view::npos)
        return;
    const std::string_view name = instance.substr(start);
    const auto adapter = name.find(engineStart);
    if (adapter == std::string_view::npos)
        return;
    auto engine = std::find_if(engines_.begin(), engines_.end(),
                               [&](const Engine& known) { return known.name == name; });
    if (engine == engines_.end())
        engine = engines_.insert(engines_.end(), {std::string(name), adapter, 0.0, false});
    engine->utilization += utilization;
    engine->present = true;
}

std::optional<double> GpuEngines::busiest(std::string_view adapter) const {
    std::optional<double> busiest;
    for (const Engine& engine : engines_) {
        const bool ofAdapter = adapter == "_Total" ||
                               std::string_view(engine.name).substr(0, engine.adapter) == adapter;
        if (engine.present && ofAdapter)
            busiest = std::max(busiest.value_or(0.0), engine.utilization);
    }
    return busiest;
}

std::vector<std::string> GpuEngines::adapters() const {
    std::vector<std::string> adapters;
    for (const Engine& engine : engines_) {
        std::string adapter = engine.name.substr(0, engine.adapter);
        if (engine.present &&
            std::find(adapters.begin(), adapters.end(), adapter) == adapters.end())
            adapters.push_back(std::move(adapter));
    }
    return adapters;
}

} // namespace platform::win32
