#include "app/ProgramFiles.h"

#include "app/ExampleFiles.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "util/log/AppLog.h"

#include <algorithm>
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

bool present(const std::filesystem::path& path) {
    std::error_code unknown; // a file that cannot be examined was not there
    return std::filesystem::exists(path, unknown);
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
                           const std::filesystem::path& programDirectory,
                           const platform::UserFolders& user)
    : user_(user) {
    const std::filesystem::path working = fullFolder(workingDirectory);
    consider(working, true);
    // The program's folder, when it is the working directory, was looked in or passed over.
    const std::filesystem::path program = fullFolder(programDirectory);
    if (!program.empty() && (working.empty() || !sameFolder(working, program)))
        folders_.push_back(program);
    if (present(user_.earlier))
        consider(fullFolder(user_.earlier), false);
    consider(fullFolder(user_.configuration), false);
    for (const std::filesystem::path& folder : folders_) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / configurationName, error)) {
            use(folder);
            return;
        }
    }
    configuration_ = folders_.empty() ? configurationName : folders_.front() / configurationName;
    // Without a configuration the log goes beside the program first, where the user put it and
    // would put its configuration, else where the user's logs go: a working directory such as
    // System32 is neither writable nor where anyone would look.
    if (!program.empty())
        logFiles_.push_back(program / logName);
    if (!user_.state.empty())
        logFiles_.push_back(user_.state / logName);
    if (!working.empty() && (program.empty() || !sameFolder(working, program)))
        logFiles_.push_back(working / logName);
}

void ProgramFiles::consider(const std::filesystem::path& folder, bool working) {
    if (folder.empty() ||
        std::any_of(folders_.begin(), folders_.end(),
                    [&](const std::filesystem::path& known) { return sameFolder(known, folder); }))
        return;
    // A folder not made yet holds nothing, and is the user's to make.
    if (!present(folder) || !platform::othersMayWrite(folder)) {
        folders_.push_back(folder);
        return;
    }
    if (!present(folder / configurationName))
        return;
    passedOver_.push_back((working ? "the working directory \"" : "the folder \"") + text(folder) +
                          "\" may be changed by other users; its " + configurationName +
                          " is not used.");
}

void ProgramFiles::use(const std::filesystem::path& folder) {
    found_ = true;
    configuration_ = folder / configurationName;
    logFiles_ = {folder / logName};
    if (!user_.state.empty() && !sameFolder(user_.state, folder))
        logFiles_.push_back(user_.state / logName);
}

ProgramFiles ProgramFiles::ofThisProcess() {
    std::error_code error;
    return ProgramFiles(std::filesystem::current_path(error),
                        platform::executablePath().parent_path(), platform::userFolders());
}

ProgramFiles ProgramFiles::named(const std::filesystem::path& configuration,
                                 const platform::UserFolders& user) {
    ProgramFiles files;
    files.user_ = user;
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(configuration, error).lexically_normal();
    if (error)
        full = configuration;
    const std::filesystem::file_status status = std::filesystem::status(full, error);
    files.use(full.parent_path());
    files.configuration_ = full;
    files.found_ = std::filesystem::is_regular_file(status);
    files.notRegular_ = std::filesystem::exists(status) && !files.found_;
    return files;
}

ProgramFiles ProgramFiles::again() const {
    return named(configuration_, user_);
}

bool ProgramFiles::writeExample() {
    if (found_)
        return false;
    if (user_.configuration.empty())
        throw std::runtime_error("the example configuration cannot be written: the system names "
                                 "no configuration folder for this user.");
    const std::filesystem::path folder = fullFolder(user_.configuration);
    platform::makePrivateFolder(folder);
    if (platform::othersMayWrite(folder))
        throw std::runtime_error("the example configuration is not written to \"" + text(folder) +
                                 "\": other users may change that folder.");
    // Something already in the file's place (another instance's example, a link) is kept.
    platform::createNewFile(folder / configurationName, exampleConfiguration());
    platform::createNewFile(folder / schemaName, configurationSchema());
    use(folder);
    return true;
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

std::vector<std::string> ProgramFiles::passedOver() const {
    return passedOver_;
}

// The state folder is made only when the log goes there.
std::filesystem::path ProgramFiles::openLog(std::string& failure) const {
    failure = "Unable to open log output stream.";
    for (const std::filesystem::path& file : logFiles_) {
        try {
            if (!user_.state.empty() && file.parent_path() == user_.state)
                platform::makePrivateFolder(user_.state);
            util::log::AppLog::create([&] { return openLogFile(file); });
            failure.clear();
            return file;
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    std::cerr << failure;
    return {};
}
