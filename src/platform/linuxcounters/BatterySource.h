#pragma once

#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"
#include "platform/linuxcounters/WantedInstances.h"

#include <array>

namespace platform::linuxcounters {

// Batteries from /sys/class/power_supply: `\Battery(BAT0)\% Charge`, and where the battery says
// what flows, `Charge Watts` while it charges and `Discharge Watts` while it discharges. Only
// batteries are instances, not AC adapters or USB ports; a peripheral's battery (a mouse's)
// is served when named but left out of the total, which is the system's batteries together:
// their energy over their capacity, or their average charge where one tells no energy. Only
// what counters want is read; a battery that goes away is looked for again, once per relisting
// interval.
class BatterySource final : public Source {
public:
    explicit BatterySource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    bool want(std::size_t counter, std::string_view instance) override;
    void listInstances(std::vector<std::string>& into) override;

    // The attributes read, in the units sysfs gives them (percent, µWh, µAh, µW, µA, µV).
    enum Attribute : std::size_t {
        Capacity,
        EnergyNow,
        EnergyFull,
        ChargeNow,
        ChargeFull,
        PowerNow,
        CurrentNow,
        VoltageNow,
        Status,
        attributeCount,
    };

private:
    struct Battery {
        std::string name;
        bool peripheral = false;
        std::array<std::optional<SourceFile>, attributeCount> files; // those it has
        std::array<std::optional<double>, attributeCount> values;    // Status: 1 charging, -1 not
        std::array<std::optional<double>, 3> counts;                 // by counter
        std::optional<Clock::time_point> fullReadAt; // the capacity changes over months
    };
    using Wanted = WantedInstances<3>::Wanted; // by counter

    void list(Clock::time_point now);
    void addBattery(const std::filesystem::path& folder);
    void readBattery(Battery& battery, Clock::time_point now);
    bool needs(const Battery& battery, const Wanted& wanted, std::size_t attribute) const;
    static bool isCapacity(std::size_t attribute);
    Wanted wantedOf(const Battery& battery) const;
    void check();
    void total();
    static bool offers(const Battery& battery, std::size_t counter);
    const Battery* find(std::string_view name) const;

    std::filesystem::path sys_;
    bool live_;
    Clock::duration relistEvery_;
    std::vector<Battery> batteries_;
    bool energyTotal_ = false; // every system battery tells its energy
    WantedInstances<3> wanted_;
    std::array<std::optional<double>, 3> totals_;
};

} // namespace platform::linuxcounters
