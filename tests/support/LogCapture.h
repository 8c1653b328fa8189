#pragma once

#include "support/TemporaryDirectory.h"
#include "util/log/AppLog.h"

#include <regex>
#include <string>
#include <vector>

namespace test {

// `file` opened to append to, as the log needs it; null when it cannot be.
inline util::OwnedFile appendTo(const std::string& file) {
    return util::OwnedFile(std::fopen(file.c_str(), "ab"));
}

// One stamped log line: its level word and its message.
struct LogLine {
    std::string level;
    std::string message;
};

// The process log, opened on a file of a temporary directory for one test.
class LogCapture {
public:
    explicit LogCapture(const std::filesystem::path& folder, const std::string& name = "pakVue.log")
        : file_((folder / name).string()) {}
    explicit LogCapture(const TemporaryDirectory& dir, const std::string& name = "pakVue.log")
        : LogCapture(dir.path(), name) {}
    ~LogCapture() { util::log::AppLog::release(); }

    // Opens the log, as the program does at start-up.
    void open() {
        util::log::AppLog::create([this] { return appendTo(file_); });
    }

    // Closes the log and returns its stamped lines; a line in another form is returned with
    // the level "(malformed)", and text after the last CR LF with the level "(unterminated)".
    std::vector<LogLine> lines() {
        util::log::AppLog::release();
        static const std::regex stamped(
            R"(\d{4}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d\d )"
            R"(\d\d:\d\d:\d\d - (Info|Warning|Error|Critical) - (.*))");
        std::string text = readBinary(file_);
        std::vector<LogLine> result;
        std::size_t begin = 0;
        for (std::size_t end; (end = text.find("\r\n", begin)) != std::string::npos;
             begin = end + 2) {
            std::string line = text.substr(begin, end - begin);
            std::smatch match;
            if (std::regex_match(line, match, stamped))
                result.push_back({match[2], match[3]});
            else
                result.push_back({"(malformed)", line});
        }
        if (begin < text.size())
            result.push_back({"(unterminated)", text.substr(begin)});
        return result;
    }

private:
    std::string file_;
};

} // namespace test
