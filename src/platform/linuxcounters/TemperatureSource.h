#pragma once

#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"
#include "platform/linuxcounters/WantedInstances.h"

#include <set>

namespace platform::linuxcounters {

// Temperatures in degrees Celsius: `\Temperature(coretemp Package id 0)\Degrees Celsius`.
// The sensors of hwmon chips (`/sys/class/hwmon/*/temp*_input`) are named after their chip and
// label, or the input's number without one, and a chip's name that another chip had already is
// numbered (nvme, nvme#1); thermal zones are named after their type, unless a hwmon chip of that
// name shows them already. The total is the hottest sensor. Only the sensors that counters want
// are read; the sensors are looked up again when one fails, once per relisting interval.
class TemperatureSource final : public Source {
public:
    explicit TemperatureSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    bool want(std::size_t counter, std::string_view instance) override;
    void listInstances(std::vector<std::string>& into) override;

private:
    struct Sensor {
        std::string name;
        SourceFile input; // millidegrees Celsius
        std::optional<double> celsius;
    };

    void list(Clock::time_point now);
    void listHwmon(std::set<std::string>& chips);
    void listThermalZones(const std::set<std::string>& chips);
    void addSensor(std::string name, const std::filesystem::path& input);
    const Sensor* find(std::string_view name) const;

    std::filesystem::path sys_;
    bool live_;
    std::vector<Sensor> sensors_;
    WantedInstances<1> wanted_; // the total: every sensor is read
    std::optional<double> hottest_;
};

} // namespace platform::linuxcounters
