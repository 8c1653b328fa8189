#pragma once

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

namespace platform::linuxcounters {

// Network interfaces from /proc/net/dev: `\Network Interface(eth0)\...`. The total leaves the
// loopback interface out: it carries no network traffic.
class NetworkSource final : public Source {
public:
    explicit NetworkSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    void listInstances(std::vector<std::string>& into) override { listNames(interfaces_, into); }

    struct Bytes {
        double received = 0.0;
        double sent = 0.0;
    };

private:
    SourceFile file_;
    Instances<Bytes> interfaces_;
};

} // namespace platform::linuxcounters
