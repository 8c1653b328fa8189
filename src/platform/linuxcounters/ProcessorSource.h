#pragma once

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

namespace platform::linuxcounters {

// Processor times from /proc/stat: `\Processor(N)\...`, the total from its all-processor line.
class ProcessorSource final : public Source {
public:
    explicit ProcessorSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    void listInstances(std::vector<std::string>& into) override { listNames(cpus_, into); }

    // Processor times in clock ticks, as /proc/stat counts them.
    struct Times {
        double busy = 0.0;       // everything but idle and waiting for input and output
        double user = 0.0;       // user and nice
        double privileged = 0.0; // system and interrupts
        double total = 0.0;
    };

private:
    SourceFile file_;
    Instances<Times> cpus_;
};

} // namespace platform::linuxcounters
