#pragma once

#include "platform/sni/WireMessage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace platform::sni {

// What the session bus sends one connection, as it arrives: the lines of authentication, then
// messages. Any client on the bus may send the connection a message, of any size the bus
// allows, so the stream holds at most `largestMessage` bytes: a longer message is passed over
// as its bytes arrive, never kept whole. It allocates once, when it is made.
class MessageStream {
public:
    static constexpr std::size_t largestMessage = 64 * 1024;
    // The server's lines are a word and a GUID; a longer one is not a server's.
    static constexpr std::size_t longestLine = 512;

    enum class Next { Ready, Wanting, Malformed };

    MessageStream() : buffer_(largestMessage) {}

    // Where the next bytes received go; empty while whole messages fill the stream.
    std::span<std::uint8_t> space();
    void received(std::size_t count) { end_ += count; }
    // The next line, without its CR LF.
    Next nextLine(std::string_view& line);
    // The next message short enough to keep. It points into the stream until space() is
    // called again.
    Next nextMessage(WireMessage& message);
    void clear() { begin_ = end_ = skipping_ = 0; }

private:
    std::size_t held() const { return end_ - begin_; }

    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t skipping_ = 0; // bytes of a message too long to keep, still to come
};

} // namespace platform::sni
