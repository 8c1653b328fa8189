#pragma once

#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

#include <array>

namespace platform::linuxcounters {

// Pressure stall information from /proc/pressure: `\Pressure(memory)\% Some Stalled` is the
// share of the interval in which at least one task waited for memory, `% Full Stalled` the
// share in which all of them did, for the resources cpu, memory and io. The shares are exact
// for each interval, from the microseconds the kernel counts in total, not its own averages.
// Only the resources that counters want are read.
class PressureSource final : public Source {
public:
    explicit PressureSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    bool want(std::size_t counter, std::string_view instance) override;
    void listInstances(std::vector<std::string>& into) override;

private:
    struct Resource {
        Resource(std::string_view resource, const SystemPaths& paths)
            : name(resource), file(paths.proc / "pressure" / resource, paths.live, 256) {}

        std::string_view name;
        SourceFile file;
        bool present = false; // listed
        bool wanted = false;
        std::array<std::optional<double>, 2> totals; // some and full, in microseconds
    };

    void list();
    static void readTotals(Resource& resource);
    Resource* find(std::string_view name);

    std::array<Resource, 3> resources_;
    bool listed_ = false;
};

} // namespace platform::linuxcounters
