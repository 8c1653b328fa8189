#pragma once

#include "platform/Desktop.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

namespace platform::x11 {

// Files watched through one inotify descriptor, which the loop polls beside the X connection:
// nothing runs while no file changes. Each file is watched through its folder, as an editor
// that saves through a new file and a rename replaces the file itself. Only the loop's thread
// uses it.
class FileWatches {
public:
    FileWatches() = default;
    ~FileWatches();
    FileWatches(const FileWatches&) = delete;
    FileWatches& operator=(const FileWatches&) = delete;

    // Null when inotify cannot watch the file's folder. The watch must end before this object.
    std::unique_ptr<FileWatch> watch(const std::filesystem::path& file, WindowHandle owner,
                                     std::uint32_t message);

    // The descriptor to poll, while anything is watched.
    void watch(std::vector<pollfd>& into) const;
    // Reads what inotify reported and calls `post` once for each watch whose file it names.
    void collect(const std::function<void(WindowHandle, std::uint32_t)>& post);

private:
    struct Registration {
        int id;
        int folder; // inotify's watch descriptor, -1 once the folder is gone
        std::string name;
        WindowHandle owner;
        std::uint32_t message;
    };
    class Handle;

    void forget(int id);

    int descriptor_ = -1; // made with the first watch
    int nextId_ = 0;
    std::vector<Registration> registrations_;
    std::vector<bool> due_; // kept, so that reading reports does not allocate
};

} // namespace platform::x11
