#pragma once

#include "platform/UserFolders.h"

#include <filesystem>
#include <string>
#include <vector>

// Where the program finds its configuration and writes its log. The configuration is looked for
// in the working directory first, then beside the executable (a program started from the Run
// key or from a shortcut without a start-in folder runs in System32, where it has no files),
// then in the user's folders. A working directory that other users may change (such as /tmp) is
// passed over, as anyone could have put a configuration there, and so is a user's folder that
// others may change. Without a configuration anywhere the example goes into the user's
// configuration folder. The log goes beside the configuration, or into the user's state folder
// where that cannot be written.
class ProgramFiles {
public:
    static constexpr const char* configurationName = "pakvue.config.json";
    static constexpr const char* schemaName = "pakvue.config.schema.json";
    static constexpr const char* logName = "pakVue.log";

    // Looks in `workingDirectory`, unless others may change it, then in `programDirectory`, then
    // in the user's earlier folder and configuration folder; an empty one is not looked in.
    ProgramFiles(const std::filesystem::path& workingDirectory,
                 const std::filesystem::path& programDirectory, const platform::UserFolders& user);
    // The places of this process: its working directory, its executable's folder and its user's
    // folders.
    static ProgramFiles ofThisProcess();
    // The configuration the user named, whatever its name; the log goes beside it.
    static ProgramFiles named(const std::filesystem::path& configuration,
                              const platform::UserFolders& user = platform::userFolders());

    bool found() const { return found_; }
    // The configuration found, as a full path; without one, where it was looked for first.
    const std::filesystem::path& configuration() const { return configuration_; }
    // Where the log goes, best first.
    const std::vector<std::filesystem::path>& logFiles() const { return logFiles_; }
    const platform::UserFolders& userFolders() const { return user_; }
    // Says which file was looked for, and in which folders; or that the file named is not a
    // regular file.
    std::string notFound() const;
    // A warning for each folder whose configuration was passed over, as others may change it.
    std::vector<std::string> passedOver() const;

    // Without a configuration, writes the example, and its schema beside it, into the user's
    // configuration folder, made for the user alone; from then on that is the configuration.
    // False when a configuration was found. Throws std::runtime_error saying why when it cannot.
    bool writeExample();
    // The same configuration looked at anew, for a reload: whether it is still a regular file.
    ProgramFiles again() const;

    // Creates the process log at the first of logFiles() that can be written, and returns that
    // file. When none can be, says why on the standard error stream and in `failure`, and
    // returns an empty path: the program runs on without a log.
    std::filesystem::path openLog(std::string& failure) const;

private:
    ProgramFiles() = default;
    // Looks in `folder` unless others may change it; `working` words the warning for the
    // working directory.
    void consider(const std::filesystem::path& folder, bool working);
    // The configuration is the one in `folder`; the log goes beside it, else to the state folder.
    void use(const std::filesystem::path& folder);

    platform::UserFolders user_;
    std::vector<std::filesystem::path> folders_; // looked in, in order, each once; none when named
    std::vector<std::string> passedOver_;
    bool found_ = false;
    bool notRegular_ = false; // named, and something else than a file is there
    std::filesystem::path configuration_;
    std::vector<std::filesystem::path> logFiles_;
};
