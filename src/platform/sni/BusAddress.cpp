#include "platform/sni/BusAddress.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace platform::sni {

namespace {

// A value with its %XX escapes undone; nothing when an escape is cut short or not hex.
std::optional<std::string> unescape(std::string_view value) {
    std::string result;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] != '%') {
            result.push_back(value[at]);
            continue;
        }
        unsigned char byte = 0;
        const char* digits = value.data() + at + 1;
        if (value.size() - at < 3 ||
            std::from_chars(digits, digits + 2, byte, 16).ptr != digits + 2)
            return std::nullopt;
        result.push_back(static_cast<char>(byte));
        at += 2;
    }
    return result;
}

// The socket of one `unix:key=value,...` entry; nothing for another transport, or for an
// entry that names no socket or two.
std::optional<BusSocket> parseEntry(std::string_view entry) {
    constexpr std::string_view transport = "unix:";
    if (!entry.starts_with(transport))
        return std::nullopt;
    std::optional<BusSocket> socket;
    std::string_view keys = entry.substr(transport.size());
    while (!keys.empty()) {
        const std::size_t comma = keys.find(',');
        const std::string_view pair = keys.substr(0, comma);
        keys = comma == std::string_view::npos ? std::string_view{} : keys.substr(comma + 1);
        const std::size_t equals = pair.find('=');
        const std::string_view key = pair.substr(0, equals);
        if (equals == std::string_view::npos || (key != "path" && key != "abstract"))
            continue;
        std::optional<std::string> name = unescape(pair.substr(equals + 1));
        if (socket || !name || name->empty())
            return std::nullopt;
        socket = BusSocket{std::move(*name), key == "abstract"};
    }
    return socket;
}

} // namespace

std::vector<BusSocket> sessionBusSockets(const char* address, const char* runtimeDirectory) {
    std::vector<BusSocket> sockets;
    if (address == nullptr || *address == '\0') {
        if (runtimeDirectory != nullptr && *runtimeDirectory != '\0')
            sockets.push_back({std::string(runtimeDirectory) + "/bus", false});
        return sockets;
    }
    std::string_view entries(address);
    while (!entries.empty()) {
        const std::size_t semicolon = entries.find(';');
        if (std::optional<BusSocket> socket = parseEntry(entries.substr(0, semicolon)))
            sockets.push_back(std::move(*socket));
        entries = semicolon == std::string_view::npos ? std::string_view{}
                                                      : entries.substr(semicolon + 1);
    }
    return sockets;
}

} // namespace platform::sni
