#include "platform/linuxcounters/SourceReader.h"

#include "platform/CounterPath.h"
#include "platform/linuxcounters/MemorySource.h"
#include "platform/linuxcounters/TextFields.h"

#include <algorithm>
#include <bit>
#include <time.h>

namespace platform::linuxcounters {

namespace {

// The boot clock counts what /proc/uptime shows, suspended time included, without a file.
std::optional<double> bootClockSeconds() {
    timespec now{};
    if (::clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return std::nullopt;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

std::shared_ptr<SourceReader> SourceReader::create(const SystemPaths& paths,
                                                   Clock::duration shareWithin) {
    return std::shared_ptr<SourceReader>(new SourceReader(paths, shareWithin));
}

std::shared_ptr<SourceReader> SourceReader::under(const std::filesystem::path& root,
                                                  Clock::duration shareWithin) {
    return std::shared_ptr<SourceReader>(new SourceReader(SystemPaths::under(root), shareWithin));
}

SourceReader::SourceReader(const SystemPaths& paths, Clock::duration shareWithin)
    : live_(paths.live), shareWithin_(shareWithin), sources_(makeSources(paths)),
      uptime_(paths.proc / "uptime", paths.live) {
    const auto memory = std::find_if(sources_.begin(), sources_.end(), [](const auto& source) {
        return dynamic_cast<const MemorySource*>(source.get()) != nullptr;
    });
    memory_ = static_cast<std::size_t>(memory - sources_.begin());
}

std::optional<SourceReader::Found> SourceReader::find(std::string_view object,
                                                      std::string_view counter) const {
    for (std::size_t source = 0; source < sources_.size(); ++source) {
        const SourceInfo& served = info(source);
        if (!sameName(served.object, object))
            continue;
        for (std::size_t index = 0; index < served.counters.size(); ++index)
            if (sameName(served.counters[index].name, counter))
                return Found{source, index};
    }
    return std::nullopt;
}

bool SourceReader::want(std::size_t source, std::size_t counter, std::string_view instance) {
    const Locks held = lock(setOf(source));
    refresh(setOf(source));
    const bool served = sources_[source]->want(counter, instance);
    if (served)
        slots_[source].pass = 0;
    return served;
}

std::uint32_t SourceReader::memoryLoad() {
    return look(
        setOf(memory_),
        [this](const SourceList& sources, std::optional<double>) {
            return static_cast<const MemorySource&>(*sources[memory_]).memoryLoad();
        });
}

std::vector<CounterListing> SourceReader::list() {
    std::vector<CounterListing> listed;
    for (std::size_t source = 0; source < sources_.size(); ++source)
        listSource(source, listed);
    return listed;
}

void SourceReader::listSource(std::size_t index, std::vector<CounterListing>& into) {
    const Locks held = lock(setOf(index));
    refresh(setOf(index));
    Source& source = *sources_[index];
    const SourceInfo& served = source.info();
    std::vector<std::string> instances;
    source.listInstances(instances);
    if (!served.hasInstances)
        instances.assign(1, std::string());
    for (const std::string& instance : instances)
        for (std::size_t counter = 0; counter < served.counters.size(); ++counter)
            if (source.want(counter, instance))
                into.push_back(
                    {makeCounterPath(served.object, instance, served.counters[counter].name),
                     served.counters[counter].units});
    slots_[index].pass = 0;
}

// The index of the first of the sources.
std::size_t SourceReader::firstOf(SourceSet sources) {
    return static_cast<std::size_t>(std::countr_zero(sources));
}

// In the order of the sources, so that two queries never wait for each other in a circle.
SourceReader::Locks SourceReader::lock(SourceSet sources) {
    Locks locks;
    for (SourceSet rest = sources; rest != 0; rest &= rest - 1)
        locks[firstOf(rest)] = std::unique_lock(slots_[firstOf(rest)].mutex);
    return locks;
}

void SourceReader::refresh(SourceSet sources) {
    const Clock::time_point now = Clock::now();
    if (!fresh(sources, now))
        readPass(sources, now);
}

// Sources read in one pass share one moment, so rates of counters on different sources of one
// query are measured over the same time.
bool SourceReader::fresh(SourceSet sources, Clock::time_point now) const {
    const Slot& first = slots_[firstOf(sources)];
    for (SourceSet rest = sources; rest != 0; rest &= rest - 1) {
        const Slot& slot = slots_[firstOf(rest)];
        if (slot.pass == 0 || slot.pass != first.pass)
            return false;
    }
    return now - first.readAt < shareWithin_;
}

void SourceReader::readPass(SourceSet sources, Clock::time_point now) {
    const std::uint64_t pass = ++passes_;
    const Moment moment{now, uptime()};
    for (SourceSet rest = sources; rest != 0; rest &= rest - 1) {
        const std::size_t source = firstOf(rest);
        sources_[source]->refresh(moment);
        Slot& slot = slots_[source];
        slot.pass = pass;
        slot.readAt = now;
        slot.uptime = moment.uptime;
    }
}

std::optional<double> SourceReader::uptime() {
    if (live_)
        return bootClockSeconds();
    std::lock_guard lock(uptimeMutex_);
    const auto text = uptime_.read();
    return text ? firstNumber(*text) : std::nullopt;
}

} // namespace platform::linuxcounters
