#include "platform/win32/PdhCounterQuery.h"

#include "platform/CounterPath.h"
#include "platform/win32/Utf16.h"

#include <algorithm>
#include <pdhmsg.h>
#include <stdexcept>
#include <string_view>
#include <winperf.h>

namespace platform::win32 {

namespace {

// Percentages above 100 stay: a counter over several processors may go past it.
constexpr DWORD valueFormat = PDH_FMT_DOUBLE | PDH_FMT_NOCAP100;
// The bits of a counter type that say how its value is shown.
constexpr DWORD displaySuffix = 0xF0000000;
// How often the instances are sized afresh in one collect: each new instance between a sizing
// and the call that follows it costs one more.
constexpr int sizingAttempts = 4;

bool isMoreData(PDH_STATUS status) {
    return static_cast<DWORD>(status) == PDH_MORE_DATA;
}

bool hasData(const PDH_FMT_COUNTERVALUE& value) {
    return value.CStatus == PDH_CSTATUS_VALID_DATA || value.CStatus == PDH_CSTATUS_NEW_DATA;
}

// The `_Total` instance's value where the object has one; otherwise the sum of the instances
// that have a value, or their average for a percentage. Nothing when no instance has a value.
std::optional<double> totalOf(const PDH_FMT_COUNTERVALUE_ITEM_W* items, DWORD count,
                              bool percentage) {
    double sum = 0.0;
    DWORD summed = 0;
    for (const auto* item = items; item != items + count; ++item) {
        if (!hasData(item->FmtValue))
            continue;
        if (item->szName != nullptr && std::wstring_view(item->szName) == L"_Total")
            return item->FmtValue.doubleValue;
        sum += item->FmtValue.doubleValue;
        ++summed;
    }
    if (summed == 0)
        return std::nullopt;
    return percentage ? sum / summed : sum;
}

} // namespace

PdhCounterQuery::PdhCounterQuery(const PdhFunctions& pdh) : pdh_(pdh) {
    if (pdh_.openQuery(nullptr, 0, &query_) != ERROR_SUCCESS)
        query_ = nullptr;
}

PdhCounterQuery::~PdhCounterQuery() {
    if (query_ != nullptr)
        pdh_.closeQuery(query_);
}

// A total is asked of every instance first; where the library serves no wildcard (Wine's does
// not), the path itself is added.
std::size_t PdhCounterQuery::addCounter(const std::string& path) {
    const CounterPath parts(path);
    refuseRemote(parts);
    Counter counter;
    counter.everyInstance = parts.total() && add(parts.everyInstance(), counter.handle);
    if (!counter.everyInstance && !add(path, counter.handle))
        throw std::invalid_argument("PdhAddCounter failed");
    counter.percentage =
        counter.everyInstance && (parts.percentage() || displaysPercent(counter.handle));
    counters_.push_back(counter);
    return counters_.size() - 1;
}

bool PdhCounterQuery::collect() {
    const bool collected = query_ != nullptr && pdh_.collectQueryData(query_) == ERROR_SUCCESS;
    for (Counter& counter : counters_)
        counter.value = collected ? valueOf(counter) : std::nullopt;
    return collected;
}

double PdhCounterQuery::read(std::size_t counter) const {
    if (counter >= counters_.size() || !counters_[counter].value)
        throw std::invalid_argument("GetFormattedCounterValue failed");
    return *counters_[counter].value;
}

void PdhCounterQuery::forEachInstance(std::size_t counter, const InstanceVisit& visit) {
    DWORD count = 0;
    if (counter >= counters_.size() || !formatInstances(counters_[counter].handle, count))
        return;
    for (const auto* item = items_.data(); item != items_.data() + count; ++item)
        visit(utf8Of(item->szName),
              hasData(item->FmtValue) ? std::optional(item->FmtValue.doubleValue) : std::nullopt);
}

// English names first, so that a configuration works whatever the system's language; then the
// system's own names, so that a path copied from a localised Performance Monitor works too.
bool PdhCounterQuery::add(const std::string& path, PDH_HCOUNTER& handle) const {
    const std::wstring wide = utf16Of(path);
    return query_ != nullptr &&
           (pdh_.addEnglishCounter(query_, wide.c_str(), 0, &handle) == ERROR_SUCCESS ||
            pdh_.addCounter(query_, wide.c_str(), 0, &handle) == ERROR_SUCCESS);
}

// Whether the counter's type shows it as a percentage, which also covers localised names.
bool PdhCounterQuery::displaysPercent(PDH_HCOUNTER handle) const {
    DWORD size = 0;
    if (!isMoreData(pdh_.getCounterInfo(handle, FALSE, &size, nullptr)))
        return false;
    std::vector<PDH_COUNTER_INFO_W> info(size / sizeof(PDH_COUNTER_INFO_W) + 1);
    return pdh_.getCounterInfo(handle, FALSE, &size, info.data()) == ERROR_SUCCESS &&
           (info.front().dwType & displaySuffix) == PERF_DISPLAY_PERCENT;
}

std::optional<double> PdhCounterQuery::valueOf(const Counter& counter) {
    return counter.everyInstance ? total(counter) : single(counter.handle);
}

std::optional<double> PdhCounterQuery::single(PDH_HCOUNTER handle) const {
    PDH_FMT_COUNTERVALUE value{};
    if (pdh_.getFormattedCounterValue(handle, valueFormat, nullptr, &value) != ERROR_SUCCESS)
        return std::nullopt;
    return value.doubleValue;
}

std::optional<double> PdhCounterQuery::total(const Counter& counter) {
    DWORD count = 0;
    if (!formatInstances(counter.handle, count))
        return std::nullopt;
    return totalOf(items_.data(), count, counter.percentage);
}

// Formats every instance into items_. The library writes the instances' names after the items,
// and a buffer too small for them is answered with PDH_MORE_DATA and a size that is not to be
// relied on, or by some releases with PDH_INVALID_ARGUMENT: so any failure leads to asking the
// size of an empty buffer, and instances that appear in between to asking again.
bool PdhCounterQuery::formatInstances(PDH_HCOUNTER handle, DWORD& count) {
    if (!items_.empty() && formatIntoItems(handle, count))
        return true;
    for (int attempt = 0; attempt < sizingAttempts; ++attempt) {
        DWORD needed = 0;
        if (!isMoreData(
                pdh_.getFormattedCounterArray(handle, valueFormat, &needed, &count, nullptr)))
            return false;
        items_.resize(std::max(items_.size(), needed / sizeof(PDH_FMT_COUNTERVALUE_ITEM_W) + 1));
        if (formatIntoItems(handle, count))
            return true;
    }
    return false;
}

bool PdhCounterQuery::formatIntoItems(PDH_HCOUNTER handle, DWORD& count) {
    DWORD bytes = static_cast<DWORD>(items_.size() * sizeof(PDH_FMT_COUNTERVALUE_ITEM_W));
    return pdh_.getFormattedCounterArray(handle, valueFormat, &bytes, &count, items_.data()) ==
           ERROR_SUCCESS;
}

} // namespace platform::win32
