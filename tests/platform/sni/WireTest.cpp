#include "platform/sni/BusAddress.h"
#include "platform/sni/MessageStream.h"
#include "platform/sni/WireBytes.h"
#include "platform/sni/WireMessage.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform::sni;
using test::WireBytes;

namespace {

std::vector<std::uint8_t> nameOwnerChanged(bool bigEndian) {
    return test::wireSignal("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                            "NameOwnerChanged", {"org.kde.StatusNotifierWatcher", "", ":1.7"},
                            bigEndian);
}

// Feeds `bytes` to `stream` in pieces of `piece` bytes, taking messages as they complete; the
// members of those taken, then "malformed" if the stream was.
std::vector<std::string> feed(MessageStream& stream, const std::vector<std::uint8_t>& bytes,
                              std::size_t piece) {
    std::vector<std::string> taken;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::span<std::uint8_t> space = stream.space();
        const std::size_t count = std::min({piece, space.size(), bytes.size() - at});
        std::copy_n(bytes.begin() + static_cast<long>(at), count, space.begin());
        stream.received(count);
        at += count;
        WireMessage message;
        for (MessageStream::Next next;
             (next = stream.nextMessage(message)) != MessageStream::Next::Wanting;) {
            taken.emplace_back(next == MessageStream::Next::Malformed ? "malformed"
                                                                      : message.member);
            if (next == MessageStream::Next::Malformed)
                return taken;
        }
    }
    return taken;
}

} // namespace

// Peers send in their own byte order; the bus passes it on.
TEST(WireMessage, ReadsBothByteOrdersAlike) {
    for (const bool bigEndian : {false, true}) {
        const std::vector<std::uint8_t> bytes = nameOwnerChanged(bigEndian);
        const std::optional<WireMessage> message = parseMessage(bytes);
        ASSERT_TRUE(message) << bigEndian;
        EXPECT_EQ(message->type, MessageType::Signal);
        EXPECT_EQ(message->sender, "org.freedesktop.DBus");
        EXPECT_EQ(message->member, "NameOwnerChanged");
        EXPECT_EQ(message->signature, "sss");
        WireReader body = message->body();
        EXPECT_EQ(body.string(), "org.kde.StatusNotifierWatcher");
        EXPECT_EQ(body.string(), "");
        EXPECT_EQ(body.string(), ":1.7");
        EXPECT_TRUE(body.ok());
        EXPECT_EQ(body.position(), bytes.size());
    }
}

// Every way a peer or a false bus may lie about a message is refused, never read past.
TEST(WireMessage, RefusesMalformedHeaders) {
    const std::vector<std::uint8_t> good = nameOwnerChanged(false);
    ASSERT_TRUE(parseMessage(good));
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(parseMessage({good.data(), length})) << "cut to " << length;
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] = value;
        return parseMessage(bytes);
    };
    EXPECT_FALSE(changed(0, 'X')) << "byte order";
    EXPECT_FALSE(changed(3, 2)) << "version";
    EXPECT_FALSE(changed(1, 0)) << "type";
    EXPECT_FALSE(changed(4, good[4] + 1)) << "body longer than the message";
    EXPECT_FALSE(changed(12, good[12] + 8)) << "fields run into the body";
    EXPECT_FALSE(changed(12, good[12] - 1)) << "fields cut inside the last one";
    EXPECT_FALSE(changed(18, 'u')) << "a path of the wrong type";
    const auto bytes = [](const std::function<void(WireBytes&)>& fields) {
        return test::wireMessage(false, 4, 1, fields);
    };
    const auto signalFields = [](WireBytes& out) {
        out.field(1, "o", "/p");
        out.field(2, "s", "i.f");
        out.field(3, "s", "M");
    };
    EXPECT_TRUE(parseMessage(bytes(signalFields)));
    EXPECT_FALSE(parseMessage(bytes([&](WireBytes& out) {
        signalFields(out);
        out.field(3, "s", "Again");
    }))) << "a field twice";
    EXPECT_FALSE(parseMessage(bytes([](WireBytes& out) { out.field(1, "o", "/p"); })))
        << "a signal without its member";
    EXPECT_FALSE(parseMessage(test::wireReply(":1.5", 0, "", {}))) << "a reply to no message";
    std::vector<std::uint8_t> padded = bytes(signalFields);
    padded[padded.size() - 1] = 1; // the padding after the last field
    EXPECT_FALSE(parseMessage(padded)) << "padding that is not zero";
    std::vector<std::uint8_t> unterminated = bytes(signalFields);
    const std::uint8_t member[] = {'M', 0};
    std::search(unterminated.begin(), unterminated.end(), member, member + 2)[1] = 'x';
    EXPECT_FALSE(parseMessage(unterminated)) << "a string without its end";
}

// A header field a later protocol adds is passed over, whatever it holds, within bounds: a
// variant may hold a variant, but nesting is limited before the stack is, and an array's length
// never reaches past the message.
TEST(WireMessage, PassesOverFieldsItDoesNotKnowWithinBounds) {
    const auto unknownField = [](const std::function<void(WireBytes&)>& value) {
        return parseMessage(test::wireMessage(
            true, 2, 1,
            [&](WireBytes& out) {
                out.serialField(5, 1);
                out.pad(8);
                out.byte(99);
                value(out);
            }));
    };
    const auto variants = [&](int depth) {
        return unknownField([depth](WireBytes& out) {
            for (int i = 0; i < depth; ++i)
                out.signature("v");
            out.signature("y");
            out.byte(0);
        });
    };
    EXPECT_TRUE(unknownField([](WireBytes& out) {
        out.signature("a(ys)");
        out.uint32(26); // a byte, padding, a string's length and text; padding; the same
        out.pad(8);
        out.byte(1);
        out.string("ab");
        out.pad(8);
        out.byte(2);
        out.string("c");
    }));
    EXPECT_TRUE(variants(30));
    EXPECT_FALSE(variants(5000));
    EXPECT_FALSE(unknownField([](WireBytes& out) {
        out.signature("ay");
        out.uint32(0x7fffffff);
    })) << "an array longer than the message";
    EXPECT_FALSE(unknownField([](WireBytes& out) { out.signature("ss"); }))
        << "a variant of two types";
    EXPECT_FALSE(unknownField([](WireBytes& out) { out.signature("(s"); }));
}

// However the bytes arrive, the same messages come out; one too long to keep is passed over as
// it arrives, and the messages after it still come.
TEST(MessageStream, TakesMessagesInAnyPiecesAndPassesOverLongOnes) {
    std::vector<std::uint8_t> bytes = nameOwnerChanged(false);
    const std::vector<std::uint8_t> big = nameOwnerChanged(true);
    bytes.insert(bytes.end(), big.begin(), big.end());
    const auto longCall = test::wireLongCall(":1.66", 1 << 20);
    bytes.insert(bytes.end(), longCall.begin(), longCall.end());
    bytes.insert(bytes.end(), big.begin(), big.end());
    const std::vector<std::string> expected(3, "NameOwnerChanged");
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        MessageStream stream;
        EXPECT_EQ(feed(stream, bytes, piece), expected) << "in pieces of " << piece;
    }
}

TEST(MessageStream, RefusesAStreamThatIsNoMessagesOrLines) {
    MessageStream stream;
    const std::vector<std::uint8_t> bytes = nameOwnerChanged(false);
    std::vector<std::uint8_t> lying = bytes;
    lying[0] = 'L';
    EXPECT_EQ(feed(stream, lying, 64).back(), "malformed");
    std::vector<std::uint8_t> huge = bytes;
    huge[7] = 0x7f; // a body of two gigabytes: beyond what the protocol allows
    stream.clear();
    EXPECT_EQ(feed(stream, huge, 64).back(), "malformed");

    stream.clear();
    const std::string lines = "OK 1234\r\n" + std::string(MessageStream::longestLine + 1, 'x');
    std::ranges::copy(lines, stream.space().begin());
    stream.received(lines.size());
    std::string_view line;
    ASSERT_EQ(stream.nextLine(line), MessageStream::Next::Ready);
    EXPECT_EQ(line, "OK 1234");
    EXPECT_EQ(stream.nextLine(line), MessageStream::Next::Malformed);
}

TEST(BusAddress, NamesTheUnixSocketsOfAnAddressInOrder) {
    using Sockets = std::vector<BusSocket>;
    EXPECT_EQ(sessionBusSockets("unix:path=/run/user/1000/bus", nullptr),
              (Sockets{{"/run/user/1000/bus", false}}));
    EXPECT_EQ(sessionBusSockets("tcp:host=localhost,port=1;unix:abstract=/tmp/dbus-%41b,guid=12;"
                                "unix:guid=1,path=/a%2cb;;unix:tmpdir=/tmp",
                                "/run"),
              (Sockets{{"/tmp/dbus-Ab", true}, {"/a,b", false}}));
    EXPECT_EQ(sessionBusSockets("unix:path=/x%4;unix:path=/a,abstract=b;unix:path=;unix:path=/y",
                                nullptr),
              (Sockets{{"/y", false}}))
        << "an escape cut short, two sockets in one entry and an empty path are left out";
    EXPECT_EQ(sessionBusSockets(nullptr, "/run/user/5"), (Sockets{{"/run/user/5/bus", false}}));
    EXPECT_EQ(sessionBusSockets("", "/run/user/5"), (Sockets{{"/run/user/5/bus", false}}));
    EXPECT_TRUE(sessionBusSockets(nullptr, nullptr).empty());
}
