#pragma once

#include <filesystem>
#include <memory>

namespace platform {

// The file this process runs from, as a full path; empty when the system does not say.
std::filesystem::path executablePath();

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
