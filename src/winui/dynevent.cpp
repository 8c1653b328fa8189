#include "winui/dynevent.h"

namespace winui {

bool dynevent::dispatch(std::uint32_t message, evtarg& argument) const {
    auto found = handlers.find(message);
    if (found == handlers.end() || !found->second)
        return false;
    // A copy, so that a handler may replace itself while it runs.
    handler call = found->second;
    call(argument);
    return argument.handled;
}

} // namespace winui
