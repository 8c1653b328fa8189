#include "platform/sni/HostWatch.h"

#include "platform/sni/FakeBus.h"
#include "platform/sni/WireBytes.h"
#include "support/LogCapture.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using platform::sni::HostWatch;
using test::FakeBus;
using test::WireBytes;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view watcher = "org.kde.StatusNotifierWatcher";
constexpr std::string_view watcherPath = "/StatusNotifierWatcher";
constexpr std::string_view bus = "org.freedesktop.DBus";
constexpr std::string_view unregistered = "StatusNotifierHostUnregistered";

std::vector<std::uint8_t> hostAnswer(std::string_view sender, std::uint32_t serial, bool hasHost,
                                     bool bigEndian = false) {
    return test::wireReply(
        sender, serial, "v",
        [hasHost](WireBytes& out) {
            out.signature("b");
            out.uint32(hasHost ? 1 : 0);
        },
        bigEndian);
}

std::vector<std::uint8_t> ownerChange(std::string_view sender, std::string_view before,
                                      std::string_view after) {
    return test::wireSignal(sender, "/org/freedesktop/DBus", bus, "NameOwnerChanged",
                            {std::string(watcher), std::string(before), std::string(after)});
}

// What the watch asked as it started.
struct Start {
    std::string authentication;
    std::vector<std::string> rules;
    std::optional<FakeBus::Call> owner;
    std::optional<FakeBus::Call> question;
};

// Plays the bus through a watch's start, with the watcher's name owned by ":1.7", which
// answers `hasHost` (or nothing).
Start serveStart(FakeBus& fake, std::optional<bool> hasHost) {
    Start start;
    if (!fake.accept())
        return start;
    start.authentication = fake.authenticate();
    start.rules = fake.setUp();
    if ((start.owner = fake.read()))
        fake.write(test::wireReply(bus, start.owner->serial, "s",
                                   [](WireBytes& out) { out.string(":1.7"); }));
    if ((start.question = fake.read()) && hasHost)
        fake.write(hostAnswer(":1.7", start.question->serial, *hasHost));
    return start;
}

// Runs the watch as the loop does until `done` holds; false when it does not in time.
bool pump(HostWatch& watch, const std::function<bool()>& done,
          std::chrono::milliseconds within = 5s) {
    const Clock::time_point deadline = Clock::now() + within;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        pollfd polled{watch.descriptor(), watch.events(), 0};
        const int next = watch.timeoutMilliseconds();
        ::poll(&polled, 1, next < 0 ? 50 : std::min(next, 50));
        watch.process();
    }
    return true;
}

// Opens a watch while the fake bus serves its start on a thread of its own.
std::unique_ptr<HostWatch> openWith(FakeBus& fake, std::optional<bool> hasHost,
                                    Start* seen = nullptr) {
    Start start;
    std::thread daemon([&] { start = serveStart(fake, hasHost); });
    std::unique_ptr<HostWatch> watch = HostWatch::open();
    daemon.join();
    if (seen != nullptr)
        *seen = start;
    return watch;
}

std::vector<std::string> warnings(test::LogCapture& log) {
    std::vector<std::string> found;
    for (const test::LogLine& line : log.lines())
        if (line.level == "Warning")
            found.push_back(line.message);
    return found;
}

// A watch's bus, played by the test, and the log the watch writes to.
class HostWatchOnAFakeBus : public ::testing::Test {
protected:
    test::TemporaryDirectory directory;
    test::LogCapture log{directory};
    FakeBus fake{directory};
};

} // namespace

// The signals are matched before the questions go, and the watcher's owner is asked of the bus.
TEST_F(HostWatchOnAFakeBus, StartsFromTheWatchersAnswerAfterMatchingItsSignals) {
    Start start;
    const std::unique_ptr<HostWatch> watch = openWith(fake, true, &start);
    ASSERT_TRUE(watch);
    EXPECT_TRUE(watch->hostPresent());
    EXPECT_EQ(watch->changes(), 1u);
    std::string user;
    for (const char digit : std::to_string(geteuid()))
        user += "3" + std::string(1, digit); // the hexadecimal of an ASCII digit
    EXPECT_EQ(start.authentication, std::string(1, '\0') + "AUTH EXTERNAL " + user);
    const std::string signal = "type='signal',sender='org.kde.StatusNotifierWatcher',path='/"
                               "StatusNotifierWatcher',interface='org.kde.StatusNotifierWatcher',"
                               "member='StatusNotifierHost";
    EXPECT_EQ(start.rules, (std::vector<std::string>{
                               "type='signal',sender='org.freedesktop.DBus',path='/org/"
                               "freedesktop/DBus',interface='org.freedesktop.DBus',member='"
                               "NameOwnerChanged',arg0='org.kde.StatusNotifierWatcher'",
                               signal + "Registered'", signal + "Unregistered'"}));
    ASSERT_TRUE(start.owner && start.question);
    EXPECT_EQ(start.owner->member, "GetNameOwner");
    EXPECT_EQ(start.owner->arguments, std::vector<std::string>{std::string(watcher)});
    EXPECT_EQ(start.question->destination, watcher);
    EXPECT_EQ(start.question->member, "Get");
    EXPECT_EQ(start.question->arguments,
              (std::vector<std::string>{std::string(watcher), "IsStatusNotifierHostRegistered"}));
}

// Any client may send the watch a signal with the watcher's names, the bus's NameOwnerChanged
// or a reply to its question: none of them counts, and none makes it ask.
TEST_F(HostWatchOnAFakeBus, BelievesOnlyTheWatchersOwnerAndTheBus) {
    const std::unique_ptr<HostWatch> watch = openWith(fake, true);
    ASSERT_TRUE(watch && watch->hostPresent());
    const std::uint64_t before = watch->changes();
    fake.write(test::wireSignal(":1.66", watcherPath, watcher, unregistered));
    fake.write(ownerChange(":1.66", ":1.7", ""));
    fake.write(test::wireSignal(":1.7", watcherPath, watcher, unregistered));
    ASSERT_TRUE(pump(*watch, [&] { return watch->changes() != before; }));
    const std::optional<FakeBus::Call> question = fake.read();
    ASSERT_TRUE(question);
    fake.write(hostAnswer(":1.66", question->serial, false));
    fake.write(hostAnswer(":1.7", question->serial, true, true)); // in the other byte order
    fake.write(test::wireSignal(":1.7", watcherPath, watcher, unregistered));
    ASSERT_TRUE(pump(*watch, [&] { return watch->changes() == before + 2; }));
    EXPECT_TRUE(watch->hostPresent()) << "the forged answer was believed";
    EXPECT_TRUE(fake.read()) << "the second signal's question";
    EXPECT_FALSE(fake.read(200ms)) << "a forged signal made the watch ask";

    // The bus says the owner has gone, then that another has the name: only the new one counts.
    fake.write(ownerChange(bus, ":1.7", ""));
    ASSERT_TRUE(pump(*watch, [&] { return !watch->hostPresent(); }));
    fake.write(ownerChange(bus, "", ":1.9"));
    ASSERT_TRUE(pump(*watch, [&] { return watch->changes() == before + 4; }));
    const std::optional<FakeBus::Call> asked = fake.read();
    ASSERT_TRUE(asked);
    fake.write(hostAnswer(":1.7", asked->serial, true));
    fake.write(hostAnswer(":1.9", asked->serial, false));
    fake.write(test::wireSignal(":1.9", watcherPath, watcher, unregistered));
    ASSERT_TRUE(pump(*watch, [&] { return watch->changes() == before + 5; }));
    EXPECT_FALSE(watch->hostPresent());
}

// A message too long to keep is passed over as it comes; a stream that is not the protocol has
// the connection dropped, said once in the log, and made again at once.
TEST_F(HostWatchOnAFakeBus, PassesOverLongMessagesAndDropsAMalformedStream) {
    log.open();
    const std::unique_ptr<HostWatch> watch = openWith(fake, false);
    ASSERT_TRUE(watch);
    const auto longCall = test::wireLongCall(":1.66", 4 << 20);
    std::thread flood([&] {
        fake.write(longCall);
        fake.write(test::wireSignal(":1.7", watcherPath, watcher, unregistered));
    });
    const std::uint64_t before = watch->changes();
    EXPECT_TRUE(pump(
        *watch, [&] { return watch->changes() == before + 1; }, 20s));
    flood.join();
    const std::optional<FakeBus::Call> question = fake.read();
    ASSERT_TRUE(question);
    fake.write(hostAnswer(":1.7", question->serial, true));
    ASSERT_TRUE(pump(*watch, [&] { return watch->hostPresent(); }));

    fake.write("XYZ: no byte order, no protocol, and longer than a header");
    std::thread daemon([&] { serveStart(fake, true); });
    EXPECT_TRUE(
        pump(*watch, [&] { return watch->changes() == before + 2 && watch->hostPresent(); }));
    daemon.join();
    EXPECT_EQ(warnings(log), std::vector<std::string>{"the session bus sent a malformed message to "
                                                      "the StatusNotifierItem host watch; "
                                                      "connecting again."});
}

// A bus that restarts is connected to again at once; one that refuses the user then is tried
// again a second later, without another word in the log.
TEST_F(HostWatchOnAFakeBus, ConnectsAgainWhenTheBusCloses) {
    log.open();
    const std::unique_ptr<HostWatch> watch = openWith(fake, true);
    ASSERT_TRUE(watch && watch->hostPresent());
    fake.hangUp();
    Clock::time_point refused;
    std::thread daemon([&] {
        if (fake.accept() && !fake.authenticate("REJECTED EXTERNAL").empty())
            refused = Clock::now();
        serveStart(fake, true);
    });
    EXPECT_TRUE(pump(
        *watch, [&] { return !watch->hostPresent(); }));
    EXPECT_TRUE(pump(*watch, [&] { return watch->hostPresent(); }));
    daemon.join();
    EXPECT_GE(Clock::now() - refused, 900ms) << "the refused connection was retried at once";
    EXPECT_EQ(watch->changes(), 3u);
    EXPECT_EQ(warnings(log), std::vector<std::string>{"the session bus closed the connection of "
                                                      "the StatusNotifierItem host watch; "
                                                      "connecting again."});
}

TEST_F(HostWatchOnAFakeBus, WaitsTwoSecondsAtMostForAnAnswerAndOpensNothingWithoutABus) {
    const Clock::time_point start = Clock::now();
    const std::unique_ptr<HostWatch> watch = openWith(fake, std::nullopt);
    ASSERT_TRUE(watch);
    EXPECT_LT(Clock::now() - start, 4s);
    EXPECT_TRUE(pump(*watch, [&] { return watch->timeoutMilliseconds() < 0; }));
    EXPECT_FALSE(watch->hostPresent());

    ::setenv("DBUS_SESSION_BUS_ADDRESS",
             ("tcp:host=localhost,port=1;unix:path=" + directory.file("none")).c_str(), 1);
    EXPECT_FALSE(HostWatch::open());
}
