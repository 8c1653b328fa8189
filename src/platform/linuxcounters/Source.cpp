#include "platform/linuxcounters/Source.h"

namespace platform::linuxcounters {

SystemPaths SystemPaths::under(const std::filesystem::path& root) {
    return {root / "proc", root / "sys", false, Clock::duration::zero(), ""};
}

bool Source::want(std::size_t counter, std::string_view instance) {
    return !info_.hasInstances || read(counter, instance).has_value();
}

void Source::listInstances(std::vector<std::string>&) {}

} // namespace platform::linuxcounters
