#include "platform/linuxcounters/BatterySource.h"

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/TextFields.h"

#include <algorithm>
#include <cmath>

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"% Charge", Units::Percentage, Measure::Level, 1.0, 100.0},
    {"Charge Watts", Units::None, Measure::Level},
    {"Discharge Watts", Units::None, Measure::Level},
};
constexpr SourceInfo served{"Battery", true, counters};
enum Counter : std::size_t { Charge, ChargeWatts, DischargeWatts };

constexpr std::array<std::string_view, BatterySource::attributeCount> attributeFiles = {
    "capacity",  "energy_now",  "energy_full", "charge_now", "charge_full",
    "power_now", "current_now", "voltage_now", "status",
};

using Values = std::array<std::optional<double>, BatterySource::attributeCount>;

// Charging is 1, discharging -1; full, not charging and unknown move no power.
std::optional<double> statusOf(std::string_view text) {
    const std::string_view word = firstWord(text);
    return word == "Charging" ? 1.0 : word == "Discharging" ? -1.0 : 0.0;
}

std::optional<double> ratio(std::optional<double> now, std::optional<double> full) {
    if (!now || !full || *full <= 0.0)
        return std::nullopt;
    return 100.0 * *now / *full;
}

std::optional<double> percent(const Values& v) {
    using A = BatterySource::Attribute;
    if (v[A::Capacity])
        return v[A::Capacity];
    const auto energy = ratio(v[A::EnergyNow], v[A::EnergyFull]);
    return energy ? energy : ratio(v[A::ChargeNow], v[A::ChargeFull]);
}

// Drivers differ in the sign they give a discharging battery's current: the status tells.
std::optional<double> watts(const Values& v) {
    using A = BatterySource::Attribute;
    if (v[A::PowerNow])
        return std::abs(*v[A::PowerNow]) / 1e6;
    if (v[A::CurrentNow] && v[A::VoltageNow])
        return std::abs(*v[A::CurrentNow] * *v[A::VoltageNow]) / 1e12;
    return std::nullopt;
}

// The power flowing the counter's way: none while the battery goes the other way.
std::optional<double> flowing(const Values& v, double direction) {
    const auto power = watts(v);
    if (!power || !v[BatterySource::Status])
        return std::nullopt;
    return *v[BatterySource::Status] == direction ? *power : 0.0;
}

void sum(std::optional<double>& total, std::optional<double> part) {
    if (part)
        total = total.value_or(0.0) + *part;
}

} // namespace

BatterySource::BatterySource(const SystemPaths& paths)
    : Source(served), sys_(paths.sys), live_(paths.live), relistEvery_(paths.relistEvery),
      wanted_(paths.relistEvery) {}

void BatterySource::refresh(const Moment& moment) {
    if (wanted_.mustList(moment.now))
        list(moment.now);
    for (Battery& battery : batteries_)
        readBattery(battery, moment.now);
    total();
    check();
}

std::optional<Reading> BatterySource::read(std::size_t counter, std::string_view instance) const {
    if (instance == totalName)
        return levelReading(totals_[counter]);
    const Battery* battery = find(instance);
    return battery != nullptr ? levelReading(battery->counts[counter]) : std::nullopt;
}

// A battery serves what it has attributes for; the total, what one of the system's serves.
bool BatterySource::want(std::size_t counter, std::string_view instance) {
    if (instance == totalName) {
        const bool served = std::any_of(batteries_.begin(), batteries_.end(), [&](const auto& b) {
            return !b.peripheral && offers(b, counter);
        });
        if (served)
            wanted_.wantTotal(counter);
        return served;
    }
    const Battery* battery = find(instance);
    if (battery == nullptr || !offers(*battery, counter))
        return false;
    wanted_.want(instance, counter);
    return true;
}

void BatterySource::listInstances(std::vector<std::string>& into) {
    if (std::any_of(batteries_.begin(), batteries_.end(),
                    [](const Battery& battery) { return !battery.peripheral; }))
        into.emplace_back(totalName);
    for (const Battery& battery : batteries_)
        into.push_back(battery.name);
}

void BatterySource::list(Clock::time_point now) {
    wanted_.listed(now);
    batteries_.clear();
    std::error_code error;
    std::vector<std::filesystem::path> folders;
    for (const auto& entry :
         std::filesystem::directory_iterator(sys_ / "class/power_supply", error))
        folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    for (const auto& folder : folders)
        addBattery(folder);
    energyTotal_ = std::all_of(batteries_.begin(), batteries_.end(), [](const Battery& battery) {
        return battery.peripheral || (battery.files[EnergyNow] && battery.files[EnergyFull]);
    });
}

// A bay without its battery says so in "present".
void BatterySource::addBattery(const std::filesystem::path& folder) {
    if (readLine(folder / "type") != "Battery" || readLine(folder / "present") == "0")
        return;
    Battery battery;
    battery.name = folder.filename().string();
    battery.peripheral = readLine(folder / "scope") == "Device";
    for (std::size_t attribute = 0; attribute < attributeCount; ++attribute)
        if (std::filesystem::exists(folder / attributeFiles[attribute]))
            battery.files[attribute].emplace(folder / attributeFiles[attribute], live_, 32);
    batteries_.push_back(std::move(battery));
}

// A full capacity is read again once per relisting interval only.
void BatterySource::readBattery(Battery& battery, Clock::time_point now) {
    const Wanted wanted = wantedOf(battery);
    const bool fullDue = !battery.fullReadAt || now - *battery.fullReadAt >= relistEvery_;
    if (fullDue)
        battery.fullReadAt = now;
    for (std::size_t attribute = 0; attribute < attributeCount; ++attribute) {
        auto& file = battery.files[attribute];
        const bool read = file && needs(battery, wanted, attribute);
        if (read && isCapacity(attribute) && !fullDue && battery.values[attribute])
            continue;
        const auto text = read ? file->read() : std::nullopt;
        battery.values[attribute] = !text                 ? std::nullopt
                                    : attribute == Status ? statusOf(*text)
                                                          : firstNumber(*text);
    }
    battery.counts = {percent(battery.values), flowing(battery.values, 1.0),
                      flowing(battery.values, -1.0)};
}

bool BatterySource::isCapacity(std::size_t attribute) {
    return attribute == EnergyFull || attribute == ChargeFull;
}

// Only the attributes that the wanted counters need: the total's charge needs the energy too,
// where every system battery tells it.
bool BatterySource::needs(const Battery& battery, const Wanted& wanted,
                          std::size_t attribute) const {
    const auto& f = battery.files;
    const bool charge = wanted[Charge];
    const bool power = wanted[ChargeWatts] || wanted[DischargeWatts];
    switch (attribute) {
    case Capacity:
        return charge;
    case EnergyNow:
    case EnergyFull:
        return charge &&
               (!f[Capacity] || (wanted_.total()[Charge] && !battery.peripheral && energyTotal_));
    case ChargeNow:
    case ChargeFull:
        return charge && !f[Capacity] && !(f[EnergyNow] && f[EnergyFull]);
    case CurrentNow:
    case VoltageNow:
        return power && !f[PowerNow];
    default: // the power itself, and the status that tells which way it flows
        return power;
    }
}

// The total's counters of the system's batteries that serve them.
BatterySource::Wanted BatterySource::wantedOf(const Battery& battery) const {
    Wanted wanted = wanted_.of(battery.name, !battery.peripheral);
    for (std::size_t counter = 0; counter < wanted.size(); ++counter)
        wanted[counter] = wanted[counter] && offers(battery, counter);
    return wanted;
}

// A battery named by a counter that is gone or could not be read, or one of the total's.
void BatterySource::check() {
    bool totalIncomplete = false;
    for (const Battery& battery : batteries_) {
        const Wanted wanted = battery.peripheral ? Wanted{} : wantedOf(battery);
        for (std::size_t counter = 0; counter < battery.counts.size(); ++counter)
            totalIncomplete = totalIncomplete || (wanted[counter] && !battery.counts[counter]);
    }
    wanted_.check(
        [this](std::string_view name, std::size_t counter) {
            const Battery* battery = find(name);
            return battery != nullptr && battery->counts[counter].has_value();
        },
        totalIncomplete);
}

// The system's batteries together: energy over capacity where each tells its energy, their
// average charge otherwise; the power each way summed.
void BatterySource::total() {
    totals_ = {};
    double now = 0.0, full = 0.0, percents = 0.0;
    int charged = 0;
    bool energy = true;
    for (const Battery& battery : batteries_) {
        if (battery.peripheral)
            continue;
        const Values& v = battery.values;
        if (battery.counts[Charge]) {
            percents += *battery.counts[Charge];
            ++charged;
            energy = energy && v[EnergyNow] && v[EnergyFull];
            now += v[EnergyNow].value_or(0.0);
            full += v[EnergyFull].value_or(0.0);
        }
        sum(totals_[ChargeWatts], battery.counts[ChargeWatts]);
        sum(totals_[DischargeWatts], battery.counts[DischargeWatts]);
    }
    if (charged > 0)
        totals_[Charge] = energy && full > 0.0 ? 100.0 * now / full : percents / charged;
}

bool BatterySource::offers(const Battery& battery, std::size_t counter) {
    const auto& f = battery.files;
    if (counter == Charge)
        return f[Capacity] || (f[EnergyNow] && f[EnergyFull]) || (f[ChargeNow] && f[ChargeFull]);
    return f[Status] && (f[PowerNow] || (f[CurrentNow] && f[VoltageNow]));
}

const BatterySource::Battery* BatterySource::find(std::string_view name) const {
    const auto found = std::find_if(batteries_.begin(), batteries_.end(),
                                    [&](const Battery& battery) { return battery.name == name; });
    return found != batteries_.end() ? &*found : nullptr;
}

} // namespace platform::linuxcounters
