#include "platform/x11/FileWatches.h"

#include <algorithm>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform::x11 {

namespace {

// Whatever makes the file another one: written and closed, made, renamed to or from its name,
// removed.
constexpr std::uint32_t changes =
    IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR;

} // namespace

class FileWatches::Handle final : public FileWatch {
public:
    Handle(FileWatches& watches, int id) : watches_(watches), id_(id) {}
    ~Handle() override { watches_.forget(id_); }

private:
    FileWatches& watches_;
    int id_;
};

FileWatches::~FileWatches() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::unique_ptr<FileWatch> FileWatches::watch(const std::filesystem::path& file, WindowHandle owner,
                                              std::uint32_t message) {
    if (descriptor_ < 0)
        descriptor_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    std::filesystem::path folder = file.parent_path();
    if (folder.empty())
        folder = ".";
    const int watched =
        descriptor_ < 0 ? -1 : ::inotify_add_watch(descriptor_, folder.c_str(), changes);
    if (watched < 0)
        return nullptr;
    registrations_.push_back({nextId_, watched, file.filename().string(), owner, message});
    return std::make_unique<Handle>(*this, nextId_++);
}

// A folder that no other watch needs is no longer watched.
void FileWatches::forget(int id) {
    const auto found = std::find_if(registrations_.begin(), registrations_.end(),
                                    [id](const Registration& r) { return r.id == id; });
    if (found == registrations_.end())
        return;
    const int folder = found->folder;
    registrations_.erase(found);
    const bool shared = std::any_of(registrations_.begin(), registrations_.end(),
                                    [folder](const Registration& r) { return r.folder == folder; });
    if (folder >= 0 && !shared)
        ::inotify_rm_watch(descriptor_, folder);
}

void FileWatches::watch(std::vector<pollfd>& into) const {
    if (descriptor_ >= 0 && !registrations_.empty())
        into.push_back({descriptor_, POLLIN, 0});
}

void FileWatches::collect(const std::function<void(WindowHandle, std::uint32_t)>& post) {
    if (descriptor_ < 0)
        return;
    due_.assign(registrations_.size(), false);
    alignas(inotify_event) char buffer[4096];
    ssize_t length;
    while ((length = ::read(descriptor_, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            for (std::size_t i = 0; i < registrations_.size(); ++i) {
                Registration& r = registrations_[i];
                if ((event.mask & IN_Q_OVERFLOW) != 0) // some reports were lost: any may be due
                    due_[i] = true;
                else if (event.wd == r.folder && (event.mask & IN_IGNORED) != 0)
                    r.folder = -1;
                else if (event.wd == r.folder && event.len > 0 && r.name == name)
                    due_[i] = true;
            }
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    for (std::size_t i = 0; i < registrations_.size(); ++i)
        if (due_[i])
            post(registrations_[i].owner, registrations_[i].message);
}

} // namespace platform::x11
