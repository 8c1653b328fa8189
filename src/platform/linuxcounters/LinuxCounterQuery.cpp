#include "platform/linuxcounters/LinuxCounterQuery.h"

#include "platform/CounterPath.h"
#include "platform/linuxcounters/Instances.h"

#include <algorithm>
#include <stdexcept>

namespace platform::linuxcounters {

namespace {

[[noreturn]] void addFailed() {
    throw std::invalid_argument("PdhAddCounter failed");
}

[[noreturn]] void readFailed() {
    throw std::invalid_argument("GetFormattedCounterValue failed");
}

using Sample = LinuxCounterQuery::Sample;

double level(const Sample& after) {
    if (!after.reading)
        readFailed();
    return after.reading->count;
}

double share(const Sample& before, const Sample& after) {
    if (!before.reading || !after.reading)
        readFailed();
    const double whole = after.reading->base - before.reading->base;
    const double part = after.reading->count - before.reading->count;
    return whole > 0.0 ? std::clamp(100.0 * part / whole, 0.0, 100.0) : 0.0;
}

// Two collects within one tick of the up-time clock (the first frame right after the query
// opened, say) measured no time: their rates are 0.
double perSecond(const Sample& before, const Sample& after) {
    if (!before.reading || !after.reading || !before.uptime || !after.uptime ||
        *after.uptime < *before.uptime)
        readFailed();
    const double elapsed = *after.uptime - *before.uptime;
    const double change = std::max(after.reading->count - before.reading->count, 0.0);
    return elapsed > 0.0 ? change / elapsed : 0.0;
}

double valueOf(const LinuxCounterQuery::Counter& counter) {
    const ServedCounter& served = *counter.served;
    switch (served.measure) {
    case Measure::ShareOfBase:
        return share(counter.before, counter.after);
    case Measure::PerSecond:
        return std::min(perSecond(counter.before, counter.after) * served.scale, served.cap);
    case Measure::Level:
        break;
    }
    return std::min(level(counter.after) * served.scale, served.cap);
}

} // namespace

// The instance `_Total` or `*` names the total; the instance must exist now, as for a live
// counter query.
std::size_t LinuxCounterQuery::addCounter(const std::string& path) {
    const CounterPath parts(path);
    refuseRemote(parts);
    if (!parts.wellFormed())
        addFailed();
    const auto found = reader_->find(parts.object(), parts.counter());
    if (!found)
        addFailed();
    const SourceInfo& info = reader_->info(found->source);
    std::string instance = parts.total() ? std::string(totalName) : parts.instance();
    if (info.hasInstances == instance.empty() ||
        !reader_->want(found->source, found->counter, instance))
        addFailed();
    counters_.push_back({found->source,
                         found->counter,
                         &info.counters[found->counter],
                         std::move(instance),
                         {},
                         {}});
    sources_ |= SourceReader::setOf(found->source);
    return counters_.size() - 1;
}

bool LinuxCounterQuery::collect() {
    return reader_->look(
        sources_,
        [this](const SourceList& sources, std::optional<double> uptime) {
            for (Counter& counter : counters_) {
                counter.before = counter.after;
                counter.after = {uptime,
                                 sources[counter.source]->read(counter.index, counter.instance)};
            }
            return uptime.has_value();
        });
}

double LinuxCounterQuery::read(std::size_t counter) const {
    if (counter >= counters_.size())
        readFailed();
    return valueOf(counters_[counter]);
}

} // namespace platform::linuxcounters
