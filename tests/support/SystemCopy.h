#pragma once

#include "platform/linuxcounters/SourceReader.h"
#include "support/TemporaryDirectory.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace test {

// A copy of one of the system trees under tests/data/counters/, for a test to change as the
// kernel would between two readings.
class SystemCopy {
public:
    explicit SystemCopy(const std::string& tree) {
        std::filesystem::copy(std::string(PAKVUE_TEST_DATA) + "/counters/" + tree, dir_.path(),
                              std::filesystem::copy_options::recursive);
    }

    const std::filesystem::path& root() const { return dir_.path(); }

    // Writes `text` and a line feed as the whole of the file, as sysfs shows a value.
    void write(const std::string& file, const std::string& text) const {
        std::filesystem::create_directories((root() / file).parent_path());
        std::ofstream(root() / file) << text << '\n';
    }
    void move(const std::string& from, const std::string& to) const {
        std::filesystem::rename(root() / from, root() / to);
    }

private:
    TemporaryDirectory dir_;
};

// The paths the reader lists of one object's instances.
inline std::vector<std::string> listed(std::string_view object,
                                       platform::linuxcounters::SourceReader& reader) {
    std::vector<std::string> paths;
    for (const auto& counter : reader.list())
        if (counter.path.starts_with("\\" + std::string(object) + "("))
            paths.push_back(counter.path);
    return paths;
}

} // namespace test
