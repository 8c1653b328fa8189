#include "platform/linuxcounters/SourceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform::linuxcounters {

namespace {

constexpr std::size_t firstBufferSize = 4096;

} // namespace

std::optional<std::string_view> SourceFile::read() {
    if (descriptor_ < 0 && !open())
        return std::nullopt;
    if (buffer_.empty())
        buffer_.resize(firstBufferSize);
    std::size_t length = 0;
    for (;;) {
        if (length == buffer_.size())
            buffer_.resize(buffer_.size() * 2); // a text that grew: kept for the next reads
        const std::size_t room = buffer_.size() - length;
        const ssize_t count =
            ::pread(descriptor_, buffer_.data() + length, room, static_cast<off_t>(length));
        if (count >= 0) {
            length += static_cast<std::size_t>(count);
            if (static_cast<std::size_t>(count) < room)
                break; // procfs, like a plain file, fills a read as far as its text goes
        } else if (errno != EINTR) {
            close(); // opened again at the next read, in case the file comes back
            return std::nullopt;
        }
    }
    if (!keepOpen_)
        close();
    return std::string_view(buffer_.data(), length);
}

bool SourceFile::open() {
    descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    return descriptor_ >= 0;
}

void SourceFile::close() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

} // namespace platform::linuxcounters
