#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace test {

// Writes D-Bus messages byte by byte, in either byte order, as any peer on the bus may: with
// fields of any type and lengths that lie, for what the client under test must read or refuse.
class WireBytes {
public:
    explicit WireBytes(bool bigEndian = false) : bigEndian_(bigEndian) {}

    std::vector<std::uint8_t> data;

    void pad(std::size_t boundary) {
        while (data.size() % boundary != 0)
            data.push_back(0);
    }
    void byte(std::uint8_t value) { data.push_back(value); }
    void uint32(std::uint32_t value) {
        pad(4);
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<std::uint8_t>(value >> (bigEndian_ ? 24 - 8 * i : 8 * i)));
    }
    void patch(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            data[at + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(value >> (bigEndian_ ? 24 - 8 * i : 8 * i));
    }
    void string(std::string_view text) {
        uint32(static_cast<std::uint32_t>(text.size()));
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
    }
    void signature(std::string_view text) {
        byte(static_cast<std::uint8_t>(text.size()));
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
    }
    // A header field holding a string, an object path or a signature, as `type` says.
    void field(std::uint8_t code, std::string_view type, std::string_view value) {
        pad(8);
        byte(code);
        signature(type);
        if (type == "g")
            signature(value);
        else
            string(value);
    }
    void serialField(std::uint8_t code, std::uint32_t value) {
        pad(8);
        byte(code);
        signature("u");
        uint32(value);
    }

private:
    bool bigEndian_;
};

// A whole message: the fixed header, the fields `fields` writes, the padding and the body
// `body` writes, with both lengths filled in.
inline std::vector<std::uint8_t> wireMessage(bool bigEndian, std::uint8_t type,
                                             std::uint32_t serial,
                                             const std::function<void(WireBytes&)>& fields,
                                             const std::function<void(WireBytes&)>& body = {}) {
    WireBytes out(bigEndian);
    out.byte(bigEndian ? 'B' : 'l');
    out.byte(type);
    out.byte(0);
    out.byte(1);
    out.uint32(0);
    out.uint32(serial);
    out.uint32(0);
    fields(out);
    out.patch(12, static_cast<std::uint32_t>(out.data.size() - 16));
    out.pad(8);
    const std::size_t bodyStart = out.data.size();
    if (body)
        body(out);
    out.patch(4, static_cast<std::uint32_t>(out.data.size() - bodyStart));
    return out.data;
}

// A signal from `sender` with strings as its arguments.
inline std::vector<std::uint8_t> wireSignal(std::string_view sender, std::string_view path,
                                            std::string_view interface, std::string_view member,
                                            std::vector<std::string> arguments = {},
                                            bool bigEndian = false) {
    return wireMessage(
        bigEndian, 4, 99,
        [&](WireBytes& out) {
            out.field(1, "o", path);
            out.field(2, "s", interface);
            out.field(3, "s", member);
            out.field(7, "s", sender);
            if (!arguments.empty())
                out.field(8, "g", std::string(arguments.size(), 's'));
        },
        [&](WireBytes& out) {
            for (const std::string& argument : arguments)
                out.string(argument);
        });
}

// A method return from `sender` to `replySerial` whose body `body` writes with `signature`.
inline std::vector<std::uint8_t> wireReply(std::string_view sender, std::uint32_t replySerial,
                                           std::string_view signature,
                                           const std::function<void(WireBytes&)>& body,
                                           bool bigEndian = false) {
    return wireMessage(
        bigEndian, 2, 77,
        [&](WireBytes& out) {
            out.serialField(5, replySerial);
            out.field(7, "s", sender);
            if (!signature.empty())
                out.field(8, "g", signature);
        },
        body);
}

// A method call from `sender` to the client with an array of `size` bytes, such as any client
// may send to flood a connection.
inline std::vector<std::uint8_t> wireLongCall(std::string_view sender, std::size_t size) {
    return wireMessage(
        false, 1, 3,
        [&](WireBytes& out) {
            out.field(1, "o", "/");
            out.field(3, "s", "Flood");
            out.field(7, "s", sender);
            out.field(8, "g", "ay");
        },
        [size](WireBytes& out) {
            out.uint32(static_cast<std::uint32_t>(size));
            out.data.resize(out.data.size() + size, 0xAA);
        });
}

} // namespace test
