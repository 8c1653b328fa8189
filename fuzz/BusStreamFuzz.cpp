// Feeds arbitrary bytes to what a session bus connection reads, as the bus or any client on it
// might send them. The first byte sets the size of the pieces the rest arrives in; the rest is
// a line, standing for the server's answer to the authentication, then messages. Each message
// taken is read as the host watch reads one (three strings; a variant that holds a boolean)
// and passed over value by value as its signature says, which must end inside it.

#include "platform/sni/MessageStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using platform::sni::MessageStream;
using platform::sni::WireMessage;
using platform::sni::WireReader;

void read(const WireMessage& message) {
    WireReader strings = message.body();
    for (int i = 0; i < 3; ++i)
        strings.string();
    WireReader variant = message.body();
    variant.signature();
    variant.uint32();
    WireReader values = message.body();
    const std::string_view signature = message.signature;
    for (std::size_t at = 0; at < signature.size() && values.ok();) {
        const std::size_t end = WireReader::typeEnd(signature, at);
        if (end == std::string_view::npos)
            break;
        values.skip(signature.substr(at, end - at));
        at = end;
    }
    if (values.position() > message.bytes.size())
        std::abort();
}

// Takes what has come whole; false once the stream is malformed.
bool take(MessageStream& stream, bool& authenticated) {
    using Next = MessageStream::Next;
    for (;;) {
        std::string_view line;
        WireMessage message;
        const Next next = authenticated ? stream.nextMessage(message) : stream.nextLine(line);
        if (next != Next::Ready)
            return next == Next::Wanting;
        if (authenticated)
            read(message);
        authenticated = true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static MessageStream stream;
    stream.clear();
    const std::size_t piece = 1 + data[0] * std::size_t{67};
    bool authenticated = false;
    for (std::size_t at = 1; at < size;) {
        const auto space = stream.space();
        const std::size_t count = std::min({piece, space.size(), size - at});
        std::copy_n(data + at, count, space.begin());
        stream.received(count);
        at += count;
        if (!take(stream, authenticated))
            break;
    }
    return 0;
}
