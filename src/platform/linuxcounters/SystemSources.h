#pragma once

#include "platform/linuxcounters/ProcessList.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

namespace platform::linuxcounters {

// The counters of `\System`, each from a source of its own.

// `\System\Threads`: the total of loadavg's "running/total", which counts every thread.
class ThreadCountSource final : public Source {
public:
    explicit ThreadCountSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;

private:
    SourceFile file_;
    std::optional<double> threads_;
};

// `\System\Processes`: the process folders of /proc.
class ProcessCountSource final : public Source {
public:
    explicit ProcessCountSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;

private:
    ProcessList list_;
    std::vector<pid_t> pids_;
    std::optional<double> processes_;
};

// `\System\System Up Time`: the up time every source is read at, from no file of its own.
class UpTimeSource final : public Source {
public:
    explicit UpTimeSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override { uptime_ = moment.uptime; }
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;

private:
    std::optional<double> uptime_;
};

} // namespace platform::linuxcounters
