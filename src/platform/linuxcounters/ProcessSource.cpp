#include "platform/linuxcounters/ProcessSource.h"

#include "platform/linuxcounters/TextFields.h"

#include <algorithm>
#include <set>
#include <unistd.h>

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"% Processor Time", Units::Percentage, Measure::PerSecond, 100.0},
    {"Working Set", Units::Size, Measure::Level},
    {"IO Data Bytes/sec", Units::Rate, Measure::PerSecond},
};
constexpr SourceInfo served{"Process", true, counters};
enum Counter : std::size_t { ProcessorTime, WorkingSet, IoBytes };

// The kernel keeps the first 15 bytes of a process's name.
constexpr std::size_t keptNameLength = 15;

bool matches(std::string_view wanted, std::string_view kept) {
    return wanted == kept || (wanted.size() > keptNameLength && kept.size() == keptNameLength &&
                              wanted.starts_with(kept));
}

// Processor ticks, user and system, of all threads, from the fields after the name in
// parentheses, which may itself hold blanks and parentheses.
std::optional<double> processorTicks(std::string_view stat) {
    const auto close = stat.rfind(')');
    if (close == std::string_view::npos)
        return std::nullopt;
    Fields fields(stat.substr(close + 1));
    std::array<double, 13> values{}; // from the state on: utime is 11, stime 12
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string_view field = fields.next();
        if (i > 0 && !Fields::number(field, values[i]))
            return std::nullopt;
    }
    return values[11] + values[12];
}

// The second field of statm: resident pages.
std::optional<double> residentPages(std::string_view statm) {
    Fields fields(statm);
    fields.next();
    double pages = 0.0;
    return Fields::number(fields.next(), pages) ? std::optional(pages) : std::nullopt;
}

// What the process read and wrote through its system calls.
std::optional<double> ioBytes(std::string_view io) {
    double sum = 0.0;
    int found = 0;
    Lines lines(io);
    for (std::string_view line; lines.next(line);) {
        Fields fields(line);
        const std::string_view key = fields.next();
        double value = 0.0;
        if ((key == "rchar:" || key == "wchar:") && Fields::number(fields.next(), value)) {
            sum += value;
            ++found;
        }
    }
    return found == 2 ? std::optional(sum) : std::nullopt;
}

// Adds the change since the member's last reading; a first reading only sets where it starts.
void accumulate(double& sum, std::optional<double>& last, std::optional<double> now) {
    if (now && last)
        sum += std::max(*now - *last, 0.0);
    last = now;
}

} // namespace

ProcessSource::ProcessSource(const SystemPaths& paths)
    : Source(served), proc_(paths.proc), live_(paths.live), rescanEvery_(paths.relistEvery),
      ticksPerSecond_(static_cast<double>(::sysconf(_SC_CLK_TCK))),
      pageBytes_(static_cast<double>(::sysconf(_SC_PAGESIZE))), list_(paths.proc) {}

void ProcessSource::refresh(const Moment& moment) {
    if (mustScan(moment.now))
        scan(moment.now);
    for (Watched& watched : watched_) {
        watched.residentBytes = 0.0;
        for (Member& member : watched.members)
            readMember(watched, member);
        const auto ended = std::erase_if(watched.members, [](const Member& m) { return m.ended; });
        rescan_ = rescan_ || ended > 0;
    }
}

std::optional<Reading> ProcessSource::read(std::size_t counter, std::string_view instance) const {
    const Watched* watched = find(instance);
    if (watched == nullptr)
        return std::nullopt;
    const double counts[] = {watched->cpuSeconds, watched->residentBytes, watched->ioBytes};
    return Reading{counts[counter]};
}

bool ProcessSource::want(std::size_t counter, std::string_view instance) {
    if (instance.empty() || instance == "_Total")
        return false;
    auto found = std::find_if(watched_.begin(), watched_.end(),
                              [&](const Watched& watched) { return watched.name == instance; });
    if (found == watched_.end()) {
        watched_.push_back({std::string(instance), {}, {}, 0.0, 0.0, 0.0});
        found = watched_.end() - 1;
        scanned_ = false; // every process's name is compared with the new one
        rescan_ = true;
    }
    found->wanted[counter] = true;
    return true;
}

void ProcessSource::listInstances(std::vector<std::string>& into) {
    std::set<std::string> names;
    if (list_.read(pids_))
        for (const pid_t pid : pids_)
            if (list_.name(pid, name_))
                names.insert(name_);
    into.insert(into.end(), names.begin(), names.end());
}

bool ProcessSource::mustScan(Clock::time_point now) const {
    return !watched_.empty() && (!scannedAt_ || rescan_ || now - *scannedAt_ >= rescanEvery_);
}

// Both lists are in the processes' order, so each process of the last scan is found by
// walking along with the new one.
void ProcessSource::scan(Clock::time_point now) {
    scannedAt_ = now;
    rescan_ = false;
    if (!list_.read(pids_))
        pids_.clear();
    scanning_.clear();
    auto previous = seen_.cbegin();
    for (const pid_t pid : pids_) {
        scanning_.push_back(identify(pid, previous));
        if (scanning_.back().watched >= 0)
            join(watched_[static_cast<std::size_t>(scanning_.back().watched)], pid);
    }
    seen_.swap(scanning_);
    scanned_ = true;
    keepMembers();
}

ProcessSource::Seen ProcessSource::identify(pid_t pid,
                                            std::vector<Seen>::const_iterator& previous) {
    while (previous != seen_.cend() && previous->pid < pid)
        ++previous;
    const bool known = scanned_ && previous != seen_.cend() && previous->pid == pid;
    if (known && previous->watched != unnamed)
        return *previous;
    if (scanned_ && !known)
        return {pid, unnamed};
    return {pid, list_.name(pid, name_) ? watcherOf(name_) : none};
}

int ProcessSource::watcherOf(std::string_view name) const {
    for (std::size_t i = 0; i < watched_.size(); ++i)
        if (matches(watched_[i].name, name))
            return static_cast<int>(i);
    return none;
}

// Members that ended, or now run another program, leave their name.
void ProcessSource::keepMembers() {
    for (std::size_t index = 0; index < watched_.size(); ++index)
        std::erase_if(
            watched_[index].members,
            [&](const Member& member) {
                const auto seen = std::lower_bound(
                    seen_.begin(), seen_.end(), member.pid,
                    [](const Seen& entry, pid_t pid) { return entry.pid < pid; });
                return seen == seen_.end() || seen->pid != member.pid ||
                       seen->watched != static_cast<int>(index);
            });
}

void ProcessSource::join(Watched& watched, pid_t pid) {
    if (std::any_of(watched.members.begin(), watched.members.end(),
                    [&](const Member& member) { return member.pid == pid; }))
        return;
    const auto folder = proc_ / std::to_string(pid);
    watched.members.push_back(
        {pid, SourceFile(folder / "stat", live_, 512), SourceFile(folder / "statm", live_, 128),
         SourceFile(folder / "io", live_, 256), std::nullopt, std::nullopt, false});
}

// A process whose files cannot be read has ended; its input and output alone may be closed to
// us, being another user's.
void ProcessSource::readMember(Watched& watched, Member& member) const {
    if (watched.wanted[ProcessorTime]) {
        const auto ticks = read(member.stat, processorTicks);
        member.ended = !ticks;
        accumulate(watched.cpuSeconds, member.cpuSeconds,
                   ticks ? std::optional(*ticks / ticksPerSecond_) : std::nullopt);
    }
    if (watched.wanted[WorkingSet]) {
        const auto pages = read(member.statm, residentPages);
        member.ended = member.ended || !pages;
        watched.residentBytes += pages.value_or(0.0) * pageBytes_;
    }
    if (watched.wanted[IoBytes])
        accumulate(watched.ioBytes, member.ioBytes, read(member.io, ioBytes));
}

std::optional<double> ProcessSource::read(SourceFile& file,
                                          std::optional<double> (*parse)(std::string_view)) {
    const auto text = file.read();
    return text ? parse(*text) : std::nullopt;
}

const ProcessSource::Watched* ProcessSource::find(std::string_view name) const {
    const auto found = std::find_if(watched_.begin(), watched_.end(),
                                    [&](const Watched& watched) { return watched.name == name; });
    return found != watched_.end() ? &*found : nullptr;
}

} // namespace platform::linuxcounters
