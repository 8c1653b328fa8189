#pragma once

#include <filesystem>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform::linuxcounters {

// The processes of /proc, listed without allocating once the lists have grown to the system's
// size: the folder stays open and is read again from its start.
class ProcessList {
public:
    explicit ProcessList(std::filesystem::path proc);
    ~ProcessList();
    ProcessList(const ProcessList&) = delete;
    ProcessList& operator=(const ProcessList&) = delete;

    // The processes now, in ascending order, into `pids`; false when /proc cannot be read.
    bool read(std::vector<pid_t>& pids);
    // The name the kernel keeps for a process (its first 15 bytes), into `name`; false when the
    // process is gone, or the list was never read.
    bool name(pid_t pid, std::string& name) const;

private:
    bool open();
    void close();

    std::filesystem::path proc_;
    int folder_ = -1;
    std::vector<char> entries_;
};

} // namespace platform::linuxcounters
