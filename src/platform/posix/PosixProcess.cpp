// The process seam on Linux: the executable from procfs, the instance lock as flock(2) on a file
// beside the configuration.
#include "platform/Process.h"
#include "platform/posix/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

// An exclusive flock on an open lock file. flock belongs to the open file, not to the process,
// so a second open of the same file conflicts even within one process; closing the file, or the
// process ending, releases it.
class FileLock final : public InstanceLock {
public:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {}
    ~FileLock() override { ::close(descriptor_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int descriptor_;
};

[[noreturn]] void fail(int error, const std::string& what, const std::filesystem::path& file) {
    throw std::system_error(error, std::generic_category(),
                            "unable to " + what + " the instance lock \"" + file.string() + "\"");
}

// Only this user may open the lock: anyone who can open it, even to read, can hold it, and the
// program would then never start. A lock file of this user's that others could open, made before
// it was kept private, is made private now.
void keepPrivate(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && status.st_uid == ::geteuid() &&
        (status.st_mode & 077) != 0)
        ::fchmod(descriptor, 0600);
}

// Opens the lock file, creating it when it is missing. A lock file that exists in a folder this
// user may not write is still locked through a read-only descriptor.
int openLockFile(const std::filesystem::path& file) {
    std::string refusal;
    int descriptor = posix::openRegularFile(file, O_RDWR | O_CREAT, 0600, refusal);
    if (descriptor < 0 && (errno == EACCES || errno == EROFS) && refusal.empty())
        descriptor = posix::openRegularFile(file, O_RDONLY, 0, refusal);
    if (descriptor < 0 && !refusal.empty())
        throw std::runtime_error("unable to open the instance lock \"" + file.string() + "\": it " +
                                 refusal + ".");
    if (descriptor >= 0)
        keepPrivate(descriptor);
    return descriptor;
}

} // namespace

std::filesystem::path executablePath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

std::vector<std::string> commandArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

// A Linux program's streams are its terminal's already.
void useStartingTerminal() {}

std::unique_ptr<InstanceLock> lockInstance(const std::filesystem::path& configuration) {
    // Beside the configuration, so that two paths to one folder (a symbolic link) share it.
    std::filesystem::path file = configuration;
    file += ".lock";
    const int descriptor = openLockFile(file);
    if (descriptor < 0)
        fail(errno, "open", file);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        return std::make_unique<FileLock>(descriptor);
    const int error = errno;
    ::close(descriptor);
    if (error == EWOULDBLOCK)
        return nullptr;
    fail(error, "take", file);
}

} // namespace platform
