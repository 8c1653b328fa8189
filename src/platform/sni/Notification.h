#pragma once

#include <string>

namespace platform::sni {

// Shows a notification through the desktop's notification server, org.freedesktop.Notifications
// on the session bus, as an error of PakVue's. Waits a few seconds at most for the server's
// answer: false when none answered, or there is no session bus.
bool showNotification(const std::string& summary, const std::string& body);

// The body with the characters a server that reads markup would take for it spelt as
// entities, so that a file name shows as it is.
std::string escapedBody(const std::string& body);

} // namespace platform::sni
