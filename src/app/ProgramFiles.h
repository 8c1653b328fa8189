#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Where the program finds its configuration and writes its log. The configuration is looked for
// in the working directory first, then beside the executable: a program started from the Run
// key or from a shortcut without a start-in folder runs in System32, where it has no files. A
// working directory that other users may change (such as /tmp) is passed over, as anyone could
// have put a configuration there. The log goes beside the configuration that was used.
class ProgramFiles {
public:
    static constexpr const char* configurationName = "pakvue.config.json";
    static constexpr const char* logName = "pakVue.log";

    // Looks in `workingDirectory`, unless others may change it, then in `programDirectory`; an
    // empty one is not looked in.
    ProgramFiles(const std::filesystem::path& workingDirectory,
                 const std::filesystem::path& programDirectory);
    // The places of this process: its working directory and its executable's folder.
    static ProgramFiles ofThisProcess();
    // The configuration the user named, whatever its name; the log goes beside it.
    static ProgramFiles named(const std::filesystem::path& configuration);

    bool found() const { return found_; }
    // The configuration found, as a full path; without one, where it was looked for first.
    const std::filesystem::path& configuration() const { return configuration_; }
    // Where the log goes, best first.
    const std::vector<std::filesystem::path>& logFiles() const { return logFiles_; }
    // Says which file was looked for, and in which folders; or that the file named is not a
    // regular file.
    std::string notFound() const;
    // A warning that the working directory's configuration was passed over, or empty when there
    // was none there or the directory was looked in.
    std::string passedOver() const;

    // Creates the process log at the first of logFiles() that can be written. When none can
    // be, says why on the standard error stream: the program runs on without a log.
    void openLog() const;

private:
    ProgramFiles() = default;

    std::vector<std::filesystem::path> folders_; // looked in, in order, each once; none when named
    std::filesystem::path passedOver_; // the working directory, when it held one not looked at
    bool found_ = false;
    bool notRegular_ = false; // named, and something else than a file is there
    std::filesystem::path configuration_;
    std::vector<std::filesystem::path> logFiles_;
};
