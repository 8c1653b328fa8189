#include "platform/linuxcounters/ProcessList.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace platform::linuxcounters {

namespace {

constexpr std::size_t entriesSize = 32 * 1024;

std::optional<pid_t> pidOf(std::string_view name) {
    pid_t pid = 0;
    const auto [end, failure] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (failure != std::errc() || end != name.data() + name.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

} // namespace

ProcessList::ProcessList(std::filesystem::path proc) : proc_(std::move(proc)) {}

ProcessList::~ProcessList() {
    close();
}

bool ProcessList::read(std::vector<pid_t>& pids) {
    pids.clear();
    if (folder_ < 0 && !open())
        return false;
    if (entries_.empty())
        entries_.resize(entriesSize);
    ::lseek(folder_, 0, SEEK_SET);
    for (;;) {
        const ssize_t bytes = ::getdents64(folder_, entries_.data(), entries_.size());
        if (bytes <= 0) {
            if (bytes < 0)
                close(); // opened again at the next read
            std::sort(pids.begin(), pids.end());
            return bytes == 0;
        }
        for (ssize_t at = 0; at < bytes;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries_.data() + at);
            if (const auto pid = pidOf(entry->d_name))
                pids.push_back(*pid);
            at += entry->d_reclen;
        }
    }
}

bool ProcessList::name(pid_t pid, std::string& name) const {
    std::array<char, 32> path{};
    const auto end = std::to_chars(path.data(), path.data() + 20, pid).ptr;
    std::memcpy(end, "/comm", 6);
    const int file = folder_ >= 0 ? ::openat(folder_, path.data(), O_RDONLY | O_CLOEXEC) : -1;
    if (file < 0)
        return false;
    std::array<char, 64> text{};
    const ssize_t length = ::read(file, text.data(), text.size());
    ::close(file);
    if (length <= 0)
        return false;
    name.assign(text.data(), static_cast<std::size_t>(length));
    if (name.ends_with('\n'))
        name.pop_back();
    return true;
}

bool ProcessList::open() {
    folder_ = ::open(proc_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return folder_ >= 0;
}

void ProcessList::close() {
    if (folder_ >= 0)
        ::close(folder_);
    folder_ = -1;
}

} // namespace platform::linuxcounters
