#pragma once

#include "support/TemporaryDirectory.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace test {

// A session bus daemon played by a test: it listens on a socket in a temporary directory, named
// by DBUS_SESSION_BUS_ADDRESS while it lives, and speaks to one client at a time. Every wait is
// bounded, so that a test fails instead of hanging.
class FakeBus {
public:
    // What the client sent in one method call.
    struct Call {
        std::uint32_t serial = 0;
        std::string destination;
        std::string member;
        std::vector<std::string> arguments;
    };

    explicit FakeBus(const TemporaryDirectory& directory);
    ~FakeBus();
    FakeBus(const FakeBus&) = delete;
    FakeBus& operator=(const FakeBus&) = delete;

    // Takes the next connection; false when none comes in time.
    bool accept();
    // Reads the client's authentication line and gives `answer`; after OK, reads BEGIN too.
    // The line the client sent, with its leading zero byte.
    std::string authenticate(std::string_view answer = "OK 0123456789abcdef0123456789abcdef");
    // Answers Hello and the matches as the bus does, with replies from the bus; the rules.
    std::vector<std::string> setUp();
    // The next method call the client sends; nothing when none comes whole in time.
    std::optional<Call> read(std::chrono::milliseconds within = std::chrono::seconds(5));
    void write(std::span<const std::uint8_t> bytes);
    void write(std::string_view text);
    // Ends the connection, as a daemon that stops does.
    void hangUp();

private:
    bool fill(std::size_t count, std::chrono::steady_clock::time_point deadline);
    std::string line(std::chrono::steady_clock::time_point deadline);

    std::string path_;
    std::optional<std::string> previousAddress_;
    int listener_ = -1;
    int client_ = -1;
    std::vector<std::uint8_t> in_;
};

} // namespace test
