#pragma once

#include "platform/sni/WireReader.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform::sni {

// Other values are types a later protocol may add, which a reader passes over.
enum class MessageType : std::uint8_t { MethodCall = 1, MethodReturn = 2, Error = 3, Signal = 4 };

// One message as read off the wire: the fields of its header and where its body starts. The
// views point into the bytes it was read from.
struct WireMessage {
    MessageType type{};
    std::uint32_t serial = 0;
    std::uint32_t replySerial = 0;
    std::string_view path;
    std::string_view interface;
    std::string_view member;
    std::string_view errorName;
    std::string_view destination;
    std::string_view sender;
    std::string_view signature; // of the body
    std::span<const std::uint8_t> bytes;
    std::size_t bodyAt = 0;
    bool bigEndian = false;

    bool isReply() const { return type == MessageType::MethodReturn || type == MessageType::Error; }
    WireReader body() const { return {bytes, bigEndian, bodyAt}; }
};

// A method call to send.
struct MethodCall {
    std::string_view destination;
    std::string_view path;
    std::string_view interface;
    std::string_view member;
};

// The fixed part of a header, from which a reader learns how long the message is.
inline constexpr std::size_t fixedHeaderSize = 16;

// How long the whole message that starts with `header` is; nothing when no message starts so
// (another byte order, another protocol version, lengths beyond the protocol's limits).
std::optional<std::size_t> messageLength(std::span<const std::uint8_t, fixedHeaderSize> header);
// The message that is exactly `bytes`; nothing when its header is malformed or its lengths do
// not add up. The body is not read: a message's reader reads what it expects there.
std::optional<WireMessage> parseMessage(std::span<const std::uint8_t> bytes);
// Appends `call` with `arguments` as strings, in little-endian order.
void appendMethodCall(std::string& out, std::uint32_t serial, const MethodCall& call,
                      std::initializer_list<std::string_view> arguments);

} // namespace platform::sni
