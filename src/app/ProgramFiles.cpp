#include "app/ProgramFiles.h"

#include "platform/Files.h"
#include "platform/Process.h"
#include "util/log/AppLog.h"

#include <iostream>
#include <stdexcept>

namespace {

// `folder` as a full path without "." or ".." steps or a trailing separator; empty when it is
// empty or cannot be made full.
std::filesystem::path fullFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path full =
        folder.empty() ? folder : std::filesystem::absolute(folder, error).lexically_normal();
    if (error)
        return {};
    return full.has_filename() || !full.has_relative_path() ? full : full.parent_path();
}

bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

// UTF-8, whatever the system's narrow encoding, so that every name reads the same in the log.
std::string text(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

// The log, opened as a file someone else may have put in place: a link there is not followed.
util::OwnedFile openLogFile(const std::filesystem::path& file) {
    std::string refusal;
    util::OwnedFile opened = platform::appendToFile(file, refusal);
    if (!refusal.empty())
        throw std::runtime_error("Unable to open log output stream: the log file " + refusal + ".");
    return opened;
}

} // namespace

ProgramFiles::ProgramFiles(const std::filesystem::path& workingDirectory,
                           const std::filesystem::path& programDirectory) {
    const std::filesystem::path working = fullFolder(workingDirectory);
    const bool shared = !working.empty() && platform::othersMayWrite(working);
    if (!working.empty() && !shared)
        folders_.push_back(working);
    std::error_code unknown; // a file that cannot be examined was not there
    if (shared && std::filesystem::exists(working / configurationName, unknown))
        passedOver_ = working;
    // The program's folder, when it is the working directory, was looked in or passed over.
    const std::filesystem::path program = fullFolder(programDirectory);
    if (!program.empty() && (working.empty() || !sameFolder(working, program)))
        folders_.push_back(program);
    for (const std::filesystem::path& folder : folders_) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / configurationName, error)) {
            found_ = true;
            configuration_ = folder / configurationName;
            logFiles_ = {folder / logName};
            return;
        }
    }
    configuration_ = folders_.empty() ? configurationName : folders_.front() / configurationName;
    // Without a configuration the log goes beside the program first, where the user put it and
    // would put its configuration: a working directory such as System32 is neither writable
    // nor where anyone would look.
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
        logFiles_.push_back(*folder / logName);
}

ProgramFiles ProgramFiles::ofThisProcess() {
    std::error_code error;
    return ProgramFiles(std::filesystem::current_path(error),
                        platform::executablePath().parent_path());
}

ProgramFiles ProgramFiles::named(const std::filesystem::path& configuration) {
    ProgramFiles files;
    std::error_code error;
    files.configuration_ = std::filesystem::absolute(configuration, error).lexically_normal();
    if (error)
        files.configuration_ = configuration;
    const std::filesystem::file_status status =
        std::filesystem::status(files.configuration_, error);
    files.found_ = std::filesystem::is_regular_file(status);
    files.notRegular_ = std::filesystem::exists(status) && !files.found_;
    files.logFiles_ = {files.configuration_.parent_path() / logName};
    return files;
}

std::string ProgramFiles::notFound() const {
    if (notRegular_)
        return "the configuration file \"" + text(configuration_) + "\" is not a regular file.";
    if (folders_.empty())
        return "the configuration file \"" + text(configuration_) + "\" was not found.";
    std::string message =
        std::string("the configuration file \"") + configurationName + "\" was not found";
    const char* separator = " in \"";
    for (const std::filesystem::path& folder : folders_) {
        message.append(separator).append(text(folder)).append("\"");
        separator = " or in \"";
    }
    return message + ".";
}

std::string ProgramFiles::passedOver() const {
    if (passedOver_.empty())
        return {};
    return "the working directory \"" + text(passedOver_) +
           "\" may be changed by other users; its " + configurationName + " is not used.";
}

void ProgramFiles::openLog() const {
    std::string failure = "Unable to open log output stream.";
    for (const std::filesystem::path& file : logFiles_) {
        try {
            util::log::AppLog::create([&] { return openLogFile(file); });
            return;
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    std::cerr << failure;
}
