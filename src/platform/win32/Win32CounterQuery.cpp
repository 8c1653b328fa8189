#include "platform/win32/Win32CounterQuery.h"

#include "platform/CounterPath.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace platform::win32 {

namespace {

// How the values of the PDH counter's instances become one value.
enum class Gather { Hottest, Sum, BusiestEngine, BatteryCharge };

} // namespace

struct Win32CounterQuery::Own {
    std::string_view object;
    std::string_view counter;
    Units units;
    std::string_view source; // PDH's counter over every instance; none for the power status
    Gather gather;
    double offset; // added to every instance's value
};

namespace {

using Own = Win32CounterQuery::Own;

constexpr std::array<Own, 4> ownCounters{{
    {"Temperature", "Degrees Celsius", Units::Temperature,
     "\\Thermal Zone Information(*)\\Temperature", Gather::Hottest, -273.15},
    {"GPU", "% Utilization", Units::Percentage, "\\GPU Engine(*)\\Utilization Percentage",
     Gather::BusiestEngine, 0.0},
    {"GPU", "Dedicated Memory Bytes", Units::Size, "\\GPU Adapter Memory(*)\\Dedicated Usage",
     Gather::Sum, 0.0},
    {"Battery", "% Charge", Units::Percentage, "", Gather::BatteryCharge, 0.0},
}};

constexpr std::string_view totalName = "_Total";

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

const Own* ownCounterOf(const CounterPath& path) {
    for (const Own& own : ownCounters)
        if (sameName(own.object, path.object()) && sameName(own.counter, path.counter()))
            return &own;
    return nullptr;
}

[[noreturn]] void addFailed() {
    throw std::invalid_argument("PdhAddCounter failed");
}

// The system's power status knows of no battery, or of none it can tell the charge of.
constexpr BYTE noSystemBattery = 128;
constexpr BYTE unknown = 255;

} // namespace

Win32CounterQuery::Win32CounterQuery(std::unique_ptr<InstanceCounterQuery> pdh, PowerStatus power)
    : pdh_(std::move(pdh)), power_(power) {}

std::size_t Win32CounterQuery::addCounter(const std::string& path) {
    const CounterPath parts(path);
    refuseRemote(parts);
    if (const Own* own = ownCounterOf(parts))
        return addOwn(*own, parts.total() ? std::string(totalName) : parts.instance());
    counters_.push_back({pdh_->addCounter(path), nullptr, {}, std::nullopt});
    ++pdhCounters_;
    return counters_.size() - 1;
}

// The instance must exist now, as PDH wants of its own paths.
std::size_t Win32CounterQuery::addOwn(const Own& own, std::string instance) {
    const auto handle = source(own);
    if (own.gather != Gather::BatteryCharge && !handle)
        addFailed();
    const auto instances = instancesOf(own, handle.value_or(0));
    if (std::find(instances.begin(), instances.end(), instance) == instances.end())
        addFailed();
    counters_.push_back({handle.value_or(0), &own, std::move(instance), std::nullopt});
    return counters_.size() - 1;
}

// A query without PDH counters has nothing for PDH to collect, which it would call a failure.
bool Win32CounterQuery::collect() {
    const bool collected = pdhCounters_ == 0 || pdh_->collect();
    for (Counter& counter : counters_)
        if (counter.own != nullptr)
            counter.value = collected ? gather(counter) : std::nullopt;
    return collected;
}

double Win32CounterQuery::read(std::size_t counter) const {
    if (counter < counters_.size() && counters_[counter].own == nullptr)
        return pdh_->read(counters_[counter].handle);
    if (counter >= counters_.size() || !counters_[counter].value)
        throw std::invalid_argument("GetFormattedCounterValue failed");
    return *counters_[counter].value;
}

std::vector<CounterListing> Win32CounterQuery::listOwn() {
    std::vector<CounterListing> listed;
    for (const Own& own : ownCounters) {
        const auto handle = source(own);
        if (own.gather != Gather::BatteryCharge && !handle)
            continue;
        for (const std::string& instance : instancesOf(own, handle.value_or(0)))
            listed.push_back({makeCounterPath(own.object, instance, own.counter), own.units});
    }
    return listed;
}

// The PDH counter over every instance that the own counter is made of, added once per query
// and collected twice, so that rates have values too; nothing where PDH has no such counter.
std::optional<std::size_t> Win32CounterQuery::source(const Own& own) {
    if (own.source.empty())
        return std::nullopt;
    for (const auto& [kind, handle] : sources_)
        if (kind->source == own.source)
            return handle;
    try {
        const std::size_t handle = pdh_->addCounter(std::string(own.source));
        pdh_->collect();
        pdh_->collect();
        sources_.emplace_back(&own, handle);
        ++pdhCounters_;
        return handle;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The instances the own counter has now, the total first where it has any.
std::vector<std::string> Win32CounterQuery::instancesOf(const Own& own, std::size_t source) {
    std::vector<std::string> instances;
    if (own.gather == Gather::BatteryCharge) {
        if (batteryCharge())
            instances.emplace_back(totalName);
        return instances;
    }
    if (own.gather == Gather::BusiestEngine) {
        engines_.clear();
        pdh_->forEachInstance(source, [&](std::string_view name, std::optional<double> value) {
            engines_.add(name, value.value_or(0.0));
        });
        instances = engines_.adapters();
    } else {
        pdh_->forEachInstance(
            source,
            [&](std::string_view name, std::optional<double>) {
                if (name != totalName)
                    instances.emplace_back(name);
            });
    }
    if (!instances.empty())
        instances.insert(instances.begin(), std::string(totalName));
    return instances;
}

std::optional<double> Win32CounterQuery::gather(const Counter& counter) {
    const Own& own = *counter.own;
    if (own.gather == Gather::BatteryCharge)
        return batteryCharge();
    if (own.gather == Gather::BusiestEngine) {
        engines_.clear();
        pdh_->forEachInstance(counter.handle, [&](std::string_view name, auto value) {
            if (value)
                engines_.add(name, *value);
        });
        const auto busiest = engines_.busiest(counter.instance);
        return busiest ? std::optional(std::min(*busiest, 100.0)) : std::nullopt;
    }
    const bool total = counter.instance == totalName;
    std::optional<double> result;
    pdh_->forEachInstance(counter.handle, [&](std::string_view name, std::optional<double> value) {
        if (!value || name == totalName || (!total && name != counter.instance))
            return;
        const double v = *value + own.offset;
        result = !result ? v : own.gather == Gather::Sum ? *result + v : std::max(*result, v);
    });
    return result;
}

std::optional<double> Win32CounterQuery::batteryCharge() const {
    SYSTEM_POWER_STATUS status{};
    if (!power_(&status) || status.BatteryFlag == noSystemBattery ||
        status.BatteryFlag == unknown || status.BatteryLifePercent > 100)
        return std::nullopt;
    return status.BatteryLifePercent;
}

} // namespace platform::win32
