#pragma once

#include "platform/sni/MessageStream.h"
#include "platform/sni/WireMessage.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform::sni {

struct BusSocket;

// The bus's own name, which it gives as the sender of all it sends itself.
inline constexpr std::string_view busName = "org.freedesktop.DBus";

// A call of the bus's own methods.
constexpr MethodCall busCall(std::string_view member) {
    return {busName, "/org/freedesktop/DBus", busName, member};
}

// A connection of its own to the session bus that speaks the D-Bus wire protocol itself over
// the bus's socket: authentication as the process's user, Hello, matches, method calls with
// string arguments, and whatever messages come. It is driven from the loop's poll as
// BusConnection is: the loop waits on descriptor() for events() at most timeoutMilliseconds(),
// then calls process(), which does a bounded amount of work and never blocks.
//
// Any client on the bus may send the connection messages: the stream keeps none longer than
// it needs, and the bus's replies to the connection's own calls count only when the bus sent
// them. A stream that is malformed, or a bus that stops reading, has the connection dropped.
// A connection that ends is said once in the log and made again, at once and then at growing
// intervals, with what lives on it set up anew; an attempt that fails before the bus has
// taken the connection's matches is tried again later without a word.
class WireConnection {
public:
    using Clock = std::chrono::steady_clock;

    struct Handlers {
        // Sets up what lives on a new connection, matches first, then calls; it is called as
        // the connection is made, and what it sends goes once the bus has taken the user.
        std::function<void()> attach;
        // Every message received but the bus's replies to the matches and to Hello.
        std::function<void(const WireMessage&)> message;
    };

    // `role` names the connection in the log.
    WireConnection(std::string role, Handlers handlers);
    ~WireConnection();
    WireConnection(const WireConnection&) = delete;
    WireConnection& operator=(const WireConnection&) = delete;

    // The first connection; false when no socket of the session bus takes it.
    bool open();
    bool connected() const { return socket_ >= 0; }

    // -1 while there is no connection, which poll() passes over.
    int descriptor() const { return socket_; }
    short events() const;
    // How long the loop may sleep before the connection needs it; -1 for as long as it likes.
    int timeoutMilliseconds() const;
    void process();
    // Processes what comes until `done` holds, the connection ends or `deadline` passes.
    void waitUntil(Clock::time_point deadline, const std::function<bool()>& done);

    // Asks the bus for the signals `rule` matches; in attach, before any call.
    void addMatch(std::string_view rule);
    // Queues a call; its serial, which its reply names, or 0 without a connection.
    std::uint32_t call(const MethodCall& call, std::initializer_list<std::string_view> arguments);

private:
    enum class State { Authenticating, SettingUp, Ready };
    enum class Loss { Closed, Malformed, Stalled };
    enum class Read { Some, Nothing, Lost };

    bool connect();
    bool connectTo(const BusSocket& socket);
    void begin();
    void reconnect();
    void retryLater();
    void drop(Loss loss);
    std::size_t sendable() const;
    bool send();
    Read receive();
    bool handle();
    void authenticated(std::string_view line);
    void dispatch(const WireMessage& message);

    std::string role_;
    Handlers handlers_;
    int socket_ = -1;
    std::uint64_t generation_ = 0; // connections dropped, so a turn can tell it lost its own
    State state_ = State::Authenticating;
    bool wasOpen_ = false;
    MessageStream stream_;
    std::string out_;
    std::size_t authenticationLeft_ = 0; // of out_, all the bus may have until it takes the user
    std::uint32_t serial_ = 0;
    std::uint32_t setupEnd_ = 0; // Hello and the matches are the calls up to this serial
    bool stalled_ = false;
    bool more_ = false; // the last turn stopped at its bound
    Clock::time_point setupDeadline_;
    Clock::time_point retryAt_;
    std::chrono::milliseconds retryDelay_{0};
};

} // namespace platform::sni
