#pragma once

#include "winui/evtarg.h"

#include <cstdint>
#include <functional>
#include <map>

namespace winui {

// Message handlers registered at run time, at most one per message.
class dynevent {
public:
    using handler = std::function<void(evtarg&)>;

    // Registering again replaces the handler.
    void setHandler(std::uint32_t message, handler h) { handlers[message] = std::move(h); }
    void removeHandler(std::uint32_t message) { handlers.erase(message); }

    // Calls the message's handler, if any; true when it marked the message handled.
    bool dispatch(std::uint32_t message, evtarg& argument) const;

protected:
    std::map<std::uint32_t, handler> handlers;
};

} // namespace winui
