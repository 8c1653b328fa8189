#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::linuxcounters {

// One file of procfs or sysfs, read whole from its start at every read into a buffer kept
// between reads. Files of the live system stay open: both make their text afresh for every read
// from offset 0, so a sample costs one system call instead of three. Files under another root
// are opened afresh at each read, since whoever writes them may replace or remove them.
class SourceFile {
public:
    SourceFile(std::filesystem::path path, bool keepOpen)
        : path_(std::move(path)), keepOpen_(keepOpen) {}
    ~SourceFile() { close(); }

    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // The file's text, valid until the next read; nothing when the file cannot be read.
    std::optional<std::string_view> read();

private:
    bool open();
    void close();

    std::filesystem::path path_;
    bool keepOpen_;
    int descriptor_ = -1;
    std::vector<char> buffer_;
};

} // namespace platform::linuxcounters
