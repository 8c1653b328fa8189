#include "platform/linuxcounters/NetworkSource.h"

#include "platform/linuxcounters/TextFields.h"

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"Bytes Received/sec", Units::Rate, Measure::PerSecond},
    {"Bytes Sent/sec", Units::Rate, Measure::PerSecond},
    {"Bytes Total/sec", Units::Rate, Measure::PerSecond},
};
constexpr SourceInfo served{"Network Interface", true, counters};

void parse(std::string_view text, Refill<NetworkSource::Bytes>& interfaces) {
    NetworkSource::Bytes sum;
    Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        const auto colon = line.find(':');
        if (colon == std::string_view::npos)
            continue; // the two heading lines
        const std::string_view name = Fields(line.substr(0, colon)).next();
        Fields fields(line.substr(colon + 1));
        std::array<double, 9> v{}; // 8 receive columns, then the transmit columns
        if (fields.numbers(v) < v.size())
            continue;
        interfaces[name] = {v[0], v[8]};
        if (name != "lo") {
            sum.received += v[0];
            sum.sent += v[8];
        }
    }
    interfaces[totalName] = sum;
}

} // namespace

NetworkSource::NetworkSource(const SystemPaths& paths)
    : Source(served), file_(paths.proc / "net/dev", paths.live) {}

void NetworkSource::refresh(const Moment&) {
    readInto(file_, interfaces_, parse);
}

std::optional<Reading> NetworkSource::read(std::size_t counter, std::string_view instance) const {
    const Bytes* bytes = findInstance(interfaces_, instance);
    if (bytes == nullptr)
        return std::nullopt;
    const double counts[] = {bytes->received, bytes->sent, bytes->received + bytes->sent};
    return Reading{counts[counter]};
}

} // namespace platform::linuxcounters
