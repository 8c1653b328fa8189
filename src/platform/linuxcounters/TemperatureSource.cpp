#include "platform/linuxcounters/TemperatureSource.h"

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/TextFields.h"

#include <algorithm>

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"Degrees Celsius", Units::Temperature, Measure::Level},
};
constexpr SourceInfo served{"Temperature", true, counters};

// The kernel registers a thermal zone as a hwmon chip named after the zone's type, with its
// dashes made underscores.
std::string chipNameOfZone(std::string type) {
    std::replace(type.begin(), type.end(), '-', '_');
    return type;
}

} // namespace

TemperatureSource::TemperatureSource(const SystemPaths& paths)
    : Source(served), sys_(paths.sys), live_(paths.live), wanted_(paths.relistEvery) {}

void TemperatureSource::refresh(const Moment& moment) {
    if (wanted_.mustList(moment.now))
        list(moment.now);
    hottest_.reset();
    bool totalIncomplete = false;
    for (Sensor& sensor : sensors_) {
        if (!wanted_.of(sensor.name, true)[0])
            continue;
        const auto text = sensor.input.read();
        const auto millidegrees = text ? firstNumber(*text) : std::nullopt;
        sensor.celsius = millidegrees ? std::optional(*millidegrees / 1000.0) : std::nullopt;
        totalIncomplete = totalIncomplete || (wanted_.total()[0] && !sensor.celsius);
        if (sensor.celsius && (!hottest_ || *sensor.celsius > *hottest_))
            hottest_ = sensor.celsius;
    }
    wanted_.check(
        [this](std::string_view name, std::size_t) {
            const Sensor* sensor = find(name);
            return sensor != nullptr && sensor->celsius.has_value();
        },
        totalIncomplete);
}

std::optional<Reading> TemperatureSource::read(std::size_t, std::string_view instance) const {
    if (instance == totalName)
        return levelReading(hottest_);
    const Sensor* sensor = find(instance);
    return sensor != nullptr ? levelReading(sensor->celsius) : std::nullopt;
}

bool TemperatureSource::want(std::size_t, std::string_view instance) {
    if (instance == totalName ? sensors_.empty() : find(instance) == nullptr)
        return false;
    if (instance == totalName)
        wanted_.wantTotal(0);
    else
        wanted_.want(instance, 0);
    return true;
}

void TemperatureSource::listInstances(std::vector<std::string>& into) {
    if (!sensors_.empty())
        into.emplace_back(totalName);
    for (const Sensor& sensor : sensors_)
        into.push_back(sensor.name);
}

void TemperatureSource::list(Clock::time_point now) {
    wanted_.listed(now);
    sensors_.clear();
    std::set<std::string> chips;
    listHwmon(chips);
    listThermalZones(chips);
}

void TemperatureSource::listHwmon(std::set<std::string>& chips) {
    InstanceNamer namer;
    for (const auto& chip : numberedEntries(sys_ / "class/hwmon", "hwmon")) {
        const auto name = readLine(chip / "name");
        if (!name)
            continue;
        chips.insert(*name);
        const std::string chipName = namer.name(*name);
        for (const auto& input : numberedEntries(chip, "temp", "_input")) {
            const std::string file = input.filename().string();
            const std::string sensor =
                file.substr(0, file.size() - std::string_view("_input").size());
            const auto label = readLine(chip / (sensor + "_label"));
            addSensor(chipName + " " + (label && !label->empty() ? *label : sensor), input);
        }
    }
}

void TemperatureSource::listThermalZones(const std::set<std::string>& chips) {
    InstanceNamer namer;
    for (const auto& zone : numberedEntries(sys_ / "class/thermal", "thermal_zone")) {
        const auto type = readLine(zone / "type");
        if (type && !chips.contains(chipNameOfZone(*type)))
            addSensor(namer.name(*type), zone / "temp");
    }
}

void TemperatureSource::addSensor(std::string name, const std::filesystem::path& input) {
    sensors_.push_back({std::move(name), SourceFile(input, live_, 32), std::nullopt});
}

const TemperatureSource::Sensor* TemperatureSource::find(std::string_view name) const {
    const auto found = std::find_if(sensors_.begin(), sensors_.end(),
                                    [&](const Sensor& sensor) { return sensor.name == name; });
    return found != sensors_.end() ? &*found : nullptr;
}

} // namespace platform::linuxcounters
