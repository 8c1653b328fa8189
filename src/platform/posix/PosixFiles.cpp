// The file seam on Linux: files opened with O_NOFOLLOW, pictures written beside their place and
// renamed into it.
#include "platform/Files.h"
#include "platform/posix/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void writeFailed(int error, const std::filesystem::path& file) {
    throw std::system_error(error, std::generic_category(),
                            "unable to write \"" + file.string() + "\"");
}

// A new file beside `file` under a name no one can have guessed before: O_EXCL fails on anything
// already there, a link included, and then another name is tried.
int createBeside(const std::filesystem::path& file, std::filesystem::path& created) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = file;
        created += "." + std::to_string(random()) + ".tmp";
        std::string refusal;
        const int descriptor =
            posix::openRegularFile(created, O_WRONLY | O_CREAT | O_EXCL, 0666, refusal);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR)
            return false;
        if (written > 0)
            bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes the bytes and closes the file; false, with the reason in `error`, when either failed.
bool writeAndClose(int descriptor, std::string_view bytes, int& error) {
    bool written = writeAll(descriptor, bytes);
    error = errno;
    if (::close(descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    return written;
}

} // namespace

util::OwnedFile appendToFile(const std::filesystem::path& file, std::string& refusal) {
    const int descriptor =
        posix::openRegularFile(file, O_WRONLY | O_APPEND | O_CREAT, 0666, refusal);
    if (descriptor < 0)
        return nullptr;
    util::OwnedFile stream(::fdopen(descriptor, "a"));
    if (!stream)
        ::close(descriptor);
    return stream;
}

void replaceFile(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path created;
    const int descriptor = createBeside(file, created);
    if (descriptor < 0)
        writeFailed(errno, file);
    int error = 0;
    bool written = writeAndClose(descriptor, bytes, error);
    if (written && ::rename(created.c_str(), file.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(created.c_str());
        writeFailed(error, file);
    }
}

void makePrivateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder.parent_path(), error);
    if (::mkdir(folder.c_str(), 0700) == 0)
        return;
    const int failure = errno;
    struct stat status {};
    if (failure == EEXIST && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return;
    if (failure == EEXIST)
        throw std::runtime_error("unable to make the folder \"" + folder.string() +
                                 "\": something else than a folder is in its place");
    throw std::system_error(failure, std::generic_category(),
                            "unable to make the folder \"" + folder.string() + "\"");
}

bool createNewFile(const std::filesystem::path& file, std::string_view bytes) {
    std::string refusal;
    const int descriptor = posix::openRegularFile(file, O_WRONLY | O_CREAT | O_EXCL, 0600, refusal);
    if (descriptor < 0 && (errno == EEXIST || !refusal.empty()))
        return false;
    if (descriptor < 0)
        writeFailed(errno, file);
    if (int error = 0; !writeAndClose(descriptor, bytes, error)) {
        ::unlink(file.c_str());
        writeFailed(error, file);
    }
    return true;
}

bool othersMayWrite(const std::filesystem::path& folder) {
    struct stat status {};
    return ::stat(folder.c_str(), &status) != 0 || status.st_uid != ::geteuid() ||
           (status.st_mode & S_IWOTH) != 0;
}

} // namespace platform
