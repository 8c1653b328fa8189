#pragma once

#include "platform/Counters.h"
#include "platform/linuxcounters/SourceFile.h"
#include "platform/linuxcounters/SourceTable.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace platform::linuxcounters {

// Reads the sources for every counter query of a process, in one place. Icons that tick
// together sample together: a source read for one query serves every query that asks within
// `shareWithin`, so each file is read once per tick, however many counters it serves. Safe to
// use from several threads.
class SourceReader {
public:
    // The sources a query reads: bit i stands for the table's source i.
    using SourceSet = std::uint32_t;

    // The system at `paths`; for the live one (the default) the up time comes from the boot
    // clock, with no file to read.
    static std::shared_ptr<SourceReader> create(const SystemPaths& paths,
                                                Clock::duration shareWithin);
    // A copy of the system's files under `root`, the up time from root/proc/uptime.
    static std::shared_ptr<SourceReader> under(const std::filesystem::path& root,
                                               Clock::duration shareWithin = {});

    static SourceSet setOf(std::size_t source) { return SourceSet{1} << source; }

    // The source and its counter that serve `counter` of `object`, matched without regard to
    // case; nothing when no source does.
    struct Found {
        std::size_t source;
        std::size_t counter;
    };
    std::optional<Found> find(std::string_view object, std::string_view counter) const;
    const SourceInfo& info(std::size_t source) const { return sources_[source]->info(); }

    // Has the source serve the counter of `instance` (Source::want); the next look reads it
    // again, so that the first sample already holds what was asked for.
    bool want(std::size_t source, std::size_t counter, std::string_view instance);

    // Calls look(sources, up time) with the latest reading of the `sources`, made first unless
    // one pass read them all within the sharing time, and returns what it returns. Only those
    // sources may be looked at, and only during the call.
    template <typename Look>
    auto look(SourceSet sources, Look&& look) {
        if (sources == 0) // the up time alone
            return look(static_cast<const SourceList&>(sources_), uptime());
        const Locks held = lock(sources);
        refresh(sources);
        return look(static_cast<const SourceList&>(sources_), slots_[firstOf(sources)].uptime);
    }

    // The memory load from the latest meminfo.
    std::uint32_t memoryLoad();

    // Every counter of every source, of every instance each has now. Each source is made to
    // serve what it lists, so that a query reads them all at once.
    std::vector<CounterListing> list();

private:
    SourceReader(const SystemPaths& paths, Clock::duration shareWithin);

    // What is known of one source's latest reading. Each source has its own lock, so that
    // icons sampling different sources at the same moment do not wait for each other.
    struct Slot {
        std::mutex mutex;
        std::uint64_t pass = 0; // the pass that read it, 0 before any
        Clock::time_point readAt;
        std::optional<double> uptime;
    };

    using Locks = std::array<std::unique_lock<std::mutex>, maxSources>;
    static std::size_t firstOf(SourceSet sources);
    Locks lock(SourceSet sources);
    void refresh(SourceSet sources);
    bool fresh(SourceSet sources, Clock::time_point now) const;
    void readPass(SourceSet sources, Clock::time_point now);
    std::optional<double> uptime();
    void listSource(std::size_t source, std::vector<CounterListing>& into);

    bool live_;
    Clock::duration shareWithin_;
    SourceList sources_;
    std::array<Slot, maxSources> slots_;
    std::atomic<std::uint64_t> passes_{0};
    std::size_t memory_; // the memory source's place in the table
    std::mutex uptimeMutex_;
    SourceFile uptime_;
};

} // namespace platform::linuxcounters
