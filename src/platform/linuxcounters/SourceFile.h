#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linuxcounters {

// One file of procfs or sysfs, read whole from its start at every read into a buffer kept
// between reads. Files of the live system stay open: both make their text afresh for every read
// from offset 0, so a sample costs one system call instead of three. Files under another root
// are opened afresh at each read, since whoever writes them may replace or remove them.
class SourceFile {
public:
    // The buffer starts at `firstSize` bytes and grows with the text: sysfs attributes and the
    // files of one process are short, most of procfs's are not.
    SourceFile(std::filesystem::path path, bool keepOpen, std::size_t firstSize = 4096)
        : path_(std::move(path)), keepOpen_(keepOpen), firstSize_(firstSize) {}
    ~SourceFile() { close(); }

    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    SourceFile(SourceFile&& other) noexcept;
    SourceFile& operator=(SourceFile&& other) noexcept;

    // The file's text, valid until the next read; nothing when the file cannot be read.
    std::optional<std::string_view> read();

private:
    bool open();
    void close();

    std::filesystem::path path_;
    bool keepOpen_;
    std::size_t firstSize_;
    int descriptor_ = -1;
    std::vector<char> buffer_;
};

// The first line of a short file, without the blanks around it: a sysfs attribute that names
// something. Nothing when it cannot be read.
std::optional<std::string> readLine(const std::filesystem::path& path);

// The entries of a folder named `prefix`, a number and `suffix` (hwmon3, temp2_input), in the
// order of their numbers; none when the folder cannot be read.
std::vector<std::filesystem::path> numberedEntries(const std::filesystem::path& folder,
                                                   std::string_view prefix,
                                                   std::string_view suffix = {});

} // namespace platform::linuxcounters
