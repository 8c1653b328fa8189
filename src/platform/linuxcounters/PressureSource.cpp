#include "platform/linuxcounters/PressureSource.h"

#include "platform/linuxcounters/TextFields.h"

namespace platform::linuxcounters {

namespace {

// Microseconds stalled per second are a ten-thousandth of a percentage.
constexpr ServedCounter counters[] = {
    {"% Some Stalled", Units::Percentage, Measure::PerSecond, 1e-4, 100.0},
    {"% Full Stalled", Units::Percentage, Measure::PerSecond, 1e-4, 100.0},
};
constexpr SourceInfo served{"Pressure", true, counters};

// The "total=" field of a line.
std::optional<double> total(std::string_view line) {
    Fields fields(line);
    for (std::string_view field = fields.next(); !field.empty(); field = fields.next()) {
        double value = 0.0;
        if (field.starts_with("total=") && Fields::number(field.substr(6), value))
            return value;
    }
    return std::nullopt;
}

} // namespace

PressureSource::PressureSource(const SystemPaths& paths)
    : Source(served), resources_{{{"cpu", paths}, {"memory", paths}, {"io", paths}}} {}

void PressureSource::refresh(const Moment&) {
    if (!listed_)
        list();
    for (Resource& resource : resources_)
        if (resource.wanted)
            readTotals(resource);
}

std::optional<Reading> PressureSource::read(std::size_t counter, std::string_view instance) const {
    for (const Resource& resource : resources_)
        if (resource.name == instance)
            return levelReading(resource.totals[counter]);
    return std::nullopt;
}

// The kernel may give a resource no "full" line (processors had none before Linux 5.13).
bool PressureSource::want(std::size_t counter, std::string_view instance) {
    Resource* resource = find(instance);
    if (resource == nullptr || !resource->present || !resource->totals[counter])
        return false;
    resource->wanted = true;
    return true;
}

void PressureSource::listInstances(std::vector<std::string>& into) {
    for (const Resource& resource : resources_)
        if (resource.present)
            into.emplace_back(resource.name);
}

// Without pressure accounting in the kernel there is no folder, and so no instance.
void PressureSource::list() {
    listed_ = true;
    for (Resource& resource : resources_) {
        readTotals(resource);
        resource.present = resource.totals[0].has_value();
    }
}

void PressureSource::readTotals(Resource& resource) {
    resource.totals = {};
    const auto text = resource.file.read();
    if (!text)
        return;
    Lines lines(*text);
    for (std::string_view line; lines.next(line);)
        if (line.starts_with("some "))
            resource.totals[0] = total(line);
        else if (line.starts_with("full "))
            resource.totals[1] = total(line);
}

PressureSource::Resource* PressureSource::find(std::string_view name) {
    for (Resource& resource : resources_)
        if (resource.name == name)
            return &resource;
    return nullptr;
}

} // namespace platform::linuxcounters
