#include "platform/sni/Notification.h"

#include <cstdint>
#include <systemd/sd-bus.h>

namespace platform::sni {

namespace {

constexpr std::uint64_t answerWithin = 3'000'000; // microseconds
constexpr std::uint8_t critical = 2;              // the urgency of an error: it stays shown

int appendNotification(sd_bus_message* m, const std::string& summary, const std::string& body) {
    int r = sd_bus_message_append(m, "susss", "PakVue", 0u, "dialog-error", summary.c_str(),
                                  escapedBody(body).c_str());
    if (r >= 0)
        r = sd_bus_message_append(m, "as", 0);
    if (r >= 0)
        r = sd_bus_message_append(m, "a{sv}", 1, "urgency", "y", critical);
    if (r >= 0)
        r = sd_bus_message_append(m, "i", -1);
    return r;
}

} // namespace

std::string escapedBody(const std::string& body) {
    std::string escaped;
    for (const char c : body) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

bool showNotification(const std::string& summary, const std::string& body) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0)
        return false;
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_message_new_method_call(bus, &call, "org.freedesktop.Notifications",
                                           "/org/freedesktop/Notifications",
                                           "org.freedesktop.Notifications", "Notify");
    if (r >= 0)
        r = appendNotification(call, summary, body);
    if (r >= 0)
        r = sd_bus_call(bus, call, answerWithin, &error, &reply);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    return r >= 0;
}

} // namespace platform::sni
