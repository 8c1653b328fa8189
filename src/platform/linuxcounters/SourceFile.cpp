#include "platform/linuxcounters/SourceFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace platform::linuxcounters {

SourceFile::SourceFile(SourceFile&& other) noexcept
    : path_(std::move(other.path_)), keepOpen_(other.keepOpen_), firstSize_(other.firstSize_),
      descriptor_(std::exchange(other.descriptor_, -1)), buffer_(std::move(other.buffer_)) {}

SourceFile& SourceFile::operator=(SourceFile&& other) noexcept {
    if (this != &other) {
        close();
        path_ = std::move(other.path_);
        keepOpen_ = other.keepOpen_;
        firstSize_ = other.firstSize_;
        descriptor_ = std::exchange(other.descriptor_, -1);
        buffer_ = std::move(other.buffer_);
    }
    return *this;
}

std::optional<std::string_view> SourceFile::read() {
    if (descriptor_ < 0 && !open())
        return std::nullopt;
    if (buffer_.empty())
        buffer_.resize(firstSize_);
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

std::optional<std::string> readLine(const std::filesystem::path& path) {
    SourceFile file(path, false, 256);
    const auto text = file.read();
    if (!text)
        return std::nullopt;
    std::string_view line = text->substr(0, text->find('\n'));
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::string();
    line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    return std::string(line);
}

std::vector<std::filesystem::path> numberedEntries(const std::filesystem::path& folder,
                                                   std::string_view prefix,
                                                   std::string_view suffix) {
    std::vector<std::pair<unsigned long, std::filesystem::path>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
            !name.ends_with(suffix))
            continue;
        const std::string_view digits(name.data() + prefix.size(),
                                      name.size() - prefix.size() - suffix.size());
        unsigned long number = 0;
        const auto [end, failure] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (failure == std::errc() && end == digits.data() + digits.size())
            found.emplace_back(number, entry.path());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::filesystem::path> paths;
    for (auto& [number, path] : found)
        paths.push_back(std::move(path));
    return paths;
}

} // namespace platform::linuxcounters
