#include "platform/sni/MessageStream.h"

#include <algorithm>
#include <cstring>

namespace platform::sni {

std::span<std::uint8_t> MessageStream::space() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, held());
        end_ -= begin_;
        begin_ = 0;
    }
    return std::span(buffer_).subspan(end_);
}

MessageStream::Next MessageStream::nextLine(std::string_view& line) {
    const std::string_view text(reinterpret_cast<const char*>(buffer_.data() + begin_), held());
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos)
        return held() > longestLine ? Next::Malformed : Next::Wanting;
    if (end > longestLine)
        return Next::Malformed;
    line = text.substr(0, end);
    begin_ += end + 2;
    return Next::Ready;
}

MessageStream::Next MessageStream::nextMessage(WireMessage& message) {
    for (;;) {
        const std::size_t passed =
            static_cast<std::size_t>(std::min<std::uint64_t>(skipping_, held()));
        begin_ += passed;
        skipping_ -= passed;
        if (skipping_ > 0 || held() < fixedHeaderSize)
            return Next::Wanting;
        const std::span<const std::uint8_t> rest = std::span(buffer_).subspan(begin_, held());
        const std::optional<std::size_t> length = messageLength(rest.first<fixedHeaderSize>());
        if (!length)
            return Next::Malformed;
        if (*length > largestMessage) {
            skipping_ = *length;
            continue;
        }
        if (held() < *length)
            return Next::Wanting;
        const std::optional<WireMessage> parsed = parseMessage(rest.first(*length));
        if (!parsed)
            return Next::Malformed;
        message = *parsed;
        begin_ += *length;
        return Next::Ready;
    }
}

} // namespace platform::sni
