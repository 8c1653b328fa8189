#include "platform/posix/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

namespace {

// What made open(2) refuse `file` for what it is, or nothing for any other failure.
std::string refusalOf(int error, const std::filesystem::path& file) {
    struct stat status {};
    if (error == ELOOP && ::lstat(file.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        return "is a symbolic link";
    if (error == EISDIR || error == ENXIO) // a folder; a FIFO or socket with no other end
        return "is not a regular file";
    return {};
}

} // namespace

int openRegularFile(const std::filesystem::path& file, int flags, mode_t mode,
                    std::string& refusal) {
    refusal.clear();
    const int descriptor = ::open(file.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (descriptor < 0) {
        const int error = errno;
        refusal = refusalOf(error, file);
        errno = error;
        return -1;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        refusal = "is not a regular file";
        return -1;
    }
    // Only a FIFO or a device had a use for it.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

} // namespace platform::posix
