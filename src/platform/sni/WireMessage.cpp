#include "platform/sni/WireMessage.h"

#include <iterator>

namespace platform::sni {

namespace {

// The protocol's own limits; a reader refuses much less, but a length beyond these is not a
// message at all.
constexpr std::uint32_t longestFieldArray = 64u << 20;
constexpr std::uint64_t longestMessage = 128u << 20;

enum Field : std::uint8_t {
    pathField = 1,
    interfaceField,
    memberField,
    errorNameField,
    replySerialField,
    destinationField,
    senderField,
    signatureField,
    unixFdsField,
};

// The type each known header field must have, by its code.
constexpr std::string_view fieldTypes[] = {"", "o", "s", "s", "s", "u", "s", "s", "g", "u"};

constexpr std::uint32_t bit(Field field) {
    return 1u << field;
}

// The fields without which a message of each type means nothing.
std::uint32_t requiredFields(MessageType type) {
    switch (type) {
    case MessageType::MethodCall:
        return bit(pathField) | bit(memberField);
    case MessageType::MethodReturn:
        return bit(replySerialField);
    case MessageType::Error:
        return bit(errorNameField) | bit(replySerialField);
    case MessageType::Signal:
        return bit(pathField) | bit(interfaceField) | bit(memberField);
    }
    return 0;
}

void store(WireMessage& message, Field field, WireReader& reader) {
    switch (field) {
    case pathField:
        message.path = reader.string();
        break;
    case interfaceField:
        message.interface = reader.string();
        break;
    case memberField:
        message.member = reader.string();
        break;
    case errorNameField:
        message.errorName = reader.string();
        break;
    case replySerialField:
        message.replySerial = reader.uint32();
        break;
    case destinationField:
        message.destination = reader.string();
        break;
    case senderField:
        message.sender = reader.string();
        break;
    case signatureField:
        message.signature = reader.signature();
        break;
    case unixFdsField: // none come without being asked for; the count means nothing here
        reader.uint32();
        break;
    }
}

// Reads the header's fields up to `end`; false when one is malformed, has the wrong type or
// comes twice. A field of a later protocol is passed over, whatever it holds.
bool readFields(WireReader& reader, std::size_t end, WireMessage& message, std::uint32_t& seen) {
    while (reader.ok() && reader.position() < end) {
        reader.align(8);
        const std::uint8_t code = reader.byte();
        const std::string_view type = reader.signature();
        if (!reader.ok() || !WireReader::singleType(type))
            return false;
        if (code == 0 || code >= std::size(fieldTypes)) {
            reader.skip(type);
            continue;
        }
        const auto field = static_cast<Field>(code);
        if ((seen & bit(field)) != 0 || type != fieldTypes[code])
            return false;
        seen |= bit(field);
        store(message, field, reader);
    }
    return reader.ok() && reader.position() == end;
}

// Writes a message's parts at the alignments of the wire format, counted from its start.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out), start_(out.size()) {}

    std::size_t size() const { return out_.size() - start_; }
    void pad(std::size_t boundary) {
        while (size() % boundary != 0)
            out_.push_back('\0');
    }
    void byte(std::uint8_t value) { out_.push_back(static_cast<char>(value)); }
    void uint32(std::uint32_t value) {
        pad(4);
        for (int shift = 0; shift < 32; shift += 8)
            byte(static_cast<std::uint8_t>(value >> shift));
    }
    void patch(std::size_t at, std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            out_[start_ + at + static_cast<std::size_t>(shift / 8)] =
                static_cast<char>(static_cast<std::uint8_t>(value >> shift));
    }
    void string(std::string_view text) {
        uint32(static_cast<std::uint32_t>(text.size()));
        out_.append(text);
        byte(0);
    }
    void signature(std::string_view text) {
        byte(static_cast<std::uint8_t>(text.size()));
        out_.append(text);
        byte(0);
    }
    void field(Field code, std::string_view value) {
        pad(8);
        byte(code);
        signature(fieldTypes[code]);
        if (code == signatureField)
            signature(value);
        else
            string(value);
    }

private:
    std::string& out_;
    std::size_t start_;
};

} // namespace

std::optional<std::size_t> messageLength(std::span<const std::uint8_t, fixedHeaderSize> header) {
    if ((header[0] != 'l' && header[0] != 'B') || header[3] != 1)
        return std::nullopt;
    WireReader reader(header, header[0] == 'B', 4);
    const std::uint64_t body = reader.uint32();
    reader.uint32(); // the serial
    const std::uint64_t fields = reader.uint32();
    const std::uint64_t length = fixedHeaderSize + (fields + 7) / 8 * 8 + body;
    if (fields > longestFieldArray || length > longestMessage)
        return std::nullopt;
    return static_cast<std::size_t>(length);
}

std::optional<WireMessage> parseMessage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < fixedHeaderSize ||
        messageLength(bytes.first<fixedHeaderSize>()) != bytes.size() || bytes[1] == 0)
        return std::nullopt;
    WireMessage message;
    message.bytes = bytes;
    message.bigEndian = bytes[0] == 'B';
    message.type = static_cast<MessageType>(bytes[1]);
    WireReader reader(bytes, message.bigEndian, 4);
    const std::uint32_t bodyLength = reader.uint32();
    message.serial = reader.uint32();
    const std::uint32_t fieldsLength = reader.uint32();
    std::uint32_t seen = 0;
    if (message.serial == 0 || !readFields(reader, fixedHeaderSize + fieldsLength, message, seen))
        return std::nullopt;
    reader.align(8);
    const std::uint32_t required = requiredFields(message.type);
    // A serial of zero names no message, and a body comes with its signature.
    if (!reader.ok() || (seen & required) != required ||
        ((seen & bit(replySerialField)) != 0 && message.replySerial == 0) ||
        (bodyLength != 0 && message.signature.empty()))
        return std::nullopt;
    message.bodyAt = reader.position();
    return message;
}

void appendMethodCall(std::string& out, std::uint32_t serial, const MethodCall& call,
                      std::initializer_list<std::string_view> arguments) {
    Writer message(out);
    message.byte('l'); // the byte order
    message.byte(static_cast<std::uint8_t>(MessageType::MethodCall));
    message.byte(0);   // no flags: a reply is wanted, and a watcher may be started to give it
    message.byte(1);   // the protocol's version
    message.uint32(0); // the body's length, known at the end
    message.uint32(serial);
    message.uint32(0); // the fields' length
    message.field(pathField, call.path);
    message.field(interfaceField, call.interface);
    message.field(memberField, call.member);
    message.field(destinationField, call.destination);
    if (arguments.size() > 0)
        message.field(signatureField, std::string(arguments.size(), 's'));
    message.patch(12, static_cast<std::uint32_t>(message.size() - fixedHeaderSize));
    message.pad(8);
    const std::size_t bodyStart = message.size();
    for (const std::string_view argument : arguments)
        message.string(argument);
    message.patch(4, static_cast<std::uint32_t>(message.size() - bodyStart));
}

} // namespace platform::sni
