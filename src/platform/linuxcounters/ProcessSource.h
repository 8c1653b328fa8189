#pragma once

#include "platform/linuxcounters/ProcessList.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

#include <array>

namespace platform::linuxcounters {

// Processes by name: `\Process(firefox)\% Processor Time` (of one processor, so above 100 for a
// process that keeps several busy), `Working Set` in bytes and `IO Data Bytes/sec` (what the
// process reads and writes, files, pipes and sockets alike). Every process whose name matches
// counts: the name the kernel keeps for it, which is its executable's base name cut to 15
// bytes (a longer name matches on those). Any name may be asked for; while no process has it,
// its counters read 0. The processes of a name are found again when one of them ends, and
// every relisting interval for those that start (a new one counts once it has lasted until the
// next look); between times only their own files are read, kept open, and only those that the
// counters wanted need. Another user's processes count
// without their input and output, which the kernel shows only to their owner.
class ProcessSource final : public Source {
public:
    explicit ProcessSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    bool want(std::size_t counter, std::string_view instance) override;
    void listInstances(std::vector<std::string>& into) override;

private:
    struct Member {
        pid_t pid;
        SourceFile stat;  // processor time
        SourceFile statm; // resident memory, summed exactly where stat's is an estimate
        SourceFile io;
        std::optional<double> cpuSeconds; // at the last reading
        std::optional<double> ioBytes;
        bool ended = false;
    };

    // The processes of one name. Their processor time and bytes are summed from each member's
    // change since its last reading, so that a process that ends or starts makes no jump.
    struct Watched {
        std::string name;
        std::array<bool, 3> wanted{}; // by counter
        std::vector<Member> members;
        double cpuSeconds = 0.0;
        double ioBytes = 0.0;
        double residentBytes = 0.0;
    };

    // A process of the last scan, and the index of the watched name it has: none, or not
    // named yet. A process born since the scan before is named at the next scan, if it lasts
    // until then: most new processes end within seconds, and one that has just forked may be
    // about to run another program under another name.
    static constexpr int none = -1;
    static constexpr int unnamed = -2;
    struct Seen {
        pid_t pid;
        int watched;
    };

    bool mustScan(Clock::time_point now) const;
    void scan(Clock::time_point now);
    Seen identify(pid_t pid, std::vector<Seen>::const_iterator& previous);
    int watcherOf(std::string_view name) const;
    void keepMembers();
    void join(Watched& watched, pid_t pid);
    void readMember(Watched& watched, Member& member) const;
    static std::optional<double> read(SourceFile& file,
                                      std::optional<double> (*parse)(std::string_view));
    const Watched* find(std::string_view name) const;

    std::filesystem::path proc_;
    bool live_;
    Clock::duration rescanEvery_;
    double ticksPerSecond_;
    double pageBytes_;
    ProcessList list_;
    std::vector<Watched> watched_;
    std::vector<pid_t> pids_;
    std::vector<Seen> seen_;
    std::vector<Seen> scanning_;
    std::string name_;
    std::optional<Clock::time_point> scannedAt_;
    bool scanned_ = false; // seen_ holds every process of a scan with the watched names now
    bool rescan_ = false;  // a member ended, or a name was added
};

} // namespace platform::linuxcounters
