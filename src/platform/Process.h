#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The file this process runs from, as a full path; empty when the system does not say.
std::filesystem::path executablePath();

// The program's arguments after its name, in UTF-8 whatever the system's narrow encoding.
std::vector<std::string> commandArguments(int argc, char** argv);

// Connects the standard output and error streams to the terminal the program was started from
// when they lead nowhere, as for a Windows program without a console of its own; streams that
// are redirected stay as they are.
void useStartingTerminal();

// Held while this process is the one running on a configuration. The system releases it when
// the process ends in any way, so a crash never leaves it behind.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
};

// Takes the lock of the configuration at `configuration` (a full path to an existing file):
// null when another process holds it. Throws std::runtime_error when the lock cannot be made.
std::unique_ptr<InstanceLock> lockInstance(const std::filesystem::path& configuration);

} // namespace platform
