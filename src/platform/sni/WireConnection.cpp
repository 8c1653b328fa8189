#include "platform/sni/WireConnection.h"

#include "platform/sni/BusAddress.h"
#include "util/log/AppLog.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::sni {

namespace {

// A turn handles a few messages and passes over at most this many reads of a long one, so that
// a client that floods the connection leaves the loop to the rest of the program.
constexpr int messagesPerTurn = 16;
constexpr int readsPerTurn = 16;
// Calls waiting to be written beyond this: the bus is not reading them.
constexpr std::size_t longestQueue = 64 * 1024;
// A bus that has not taken the connection's user, Hello and matches by then never will.
constexpr std::chrono::seconds setupTime(25);
constexpr std::chrono::milliseconds firstRetry(1000);
constexpr std::chrono::milliseconds lastRetry(30'000);

int millisecondsUntil(WireConnection::Clock::time_point when) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(when - WireConnection::Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// EXTERNAL authentication names the user as the hexadecimal of its decimal digits; the bus
// checks it against the credentials of the socket.
std::string externalAuthentication() {
    std::string line = "AUTH EXTERNAL ";
    for (const char digit : std::to_string(geteuid())) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(digit));
        line += hex;
    }
    return line + "\r\n";
}

} // namespace

WireConnection::WireConnection(std::string role, Handlers handlers)
    : role_(std::move(role)), handlers_(std::move(handlers)) {}

WireConnection::~WireConnection() {
    if (socket_ >= 0)
        ::close(socket_);
}

bool WireConnection::open() {
    wasOpen_ = connect();
    return wasOpen_;
}

bool WireConnection::connect() {
    for (const BusSocket& socket :
         sessionBusSockets(std::getenv("DBUS_SESSION_BUS_ADDRESS"), std::getenv("XDG_RUNTIME_DIR")))
        if (connectTo(socket)) {
            begin();
            return true;
        }
    return false;
}

// A socket that does not take the connection at once (its backlog is full) counts as not
// there: the loop must not wait for it.
bool WireConnection::connectTo(const BusSocket& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A path ends with a zero byte; an abstract name starts with one.
    if (socket.name.size() >= sizeof address.sun_path)
        return false;
    const std::size_t offset = socket.abstract ? 1 : 0;
    std::memcpy(address.sun_path + offset, socket.name.data(), socket.name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               socket.name.size() + (socket.abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return false;
    }
    socket_ = fd;
    return true;
}

// The credentials byte and the authentication go first; BEGIN, Hello and what attach() queues
// wait behind them until the bus says OK.
void WireConnection::begin() {
    state_ = State::Authenticating;
    stream_.clear();
    out_.assign(1, '\0');
    out_ += externalAuthentication();
    authenticationLeft_ = out_.size();
    out_ += "BEGIN\r\n";
    serial_ = 0;
    setupEnd_ = call(busCall("Hello"), {});
    setupDeadline_ = Clock::now() + setupTime;
    handlers_.attach();
}

void WireConnection::addMatch(std::string_view rule) {
    setupEnd_ = call(busCall("AddMatch"), {rule});
}

std::uint32_t WireConnection::call(const MethodCall& call,
                                   std::initializer_list<std::string_view> arguments) {
    if (socket_ < 0)
        return 0;
    appendMethodCall(out_, ++serial_, call, arguments);
    stalled_ = stalled_ || out_.size() > longestQueue;
    return serial_;
}

short WireConnection::events() const {
    if (socket_ < 0)
        return 0;
    return static_cast<short>(POLLIN | (sendable() > 0 ? POLLOUT : 0));
}

int WireConnection::timeoutMilliseconds() const {
    if (socket_ < 0)
        return wasOpen_ ? millisecondsUntil(retryAt_) : -1;
    if (more_ || stalled_)
        return 0;
    return state_ == State::Ready ? -1 : millisecondsUntil(setupDeadline_);
}

// Reads and handles in turns: a read, then the messages it completed, up to the bounds.
void WireConnection::process() {
    more_ = false;
    if (socket_ < 0) {
        if (wasOpen_ && Clock::now() >= retryAt_)
            reconnect();
        return;
    }
    const std::uint64_t generation = generation_;
    if (!send())
        return;
    int handled = 0;
    for (int reads = 0; reads < readsPerTurn && handled < messagesPerTurn; ++reads) {
        const Read read = receive();
        if (read == Read::Lost)
            return;
        while (generation == generation_ && handled < messagesPerTurn && handle())
            ++handled;
        if (read == Read::Nothing || generation != generation_)
            break;
    }
    more_ = handled == messagesPerTurn;
    if (generation != generation_ || socket_ < 0)
        return;
    if (stalled_)
        drop(Loss::Stalled);
    else if (state_ != State::Ready && Clock::now() >= setupDeadline_)
        drop(Loss::Closed);
    else
        send(); // what the messages asked goes now, not at the next wake-up
}

void WireConnection::waitUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    while (!done() && socket_ >= 0 && Clock::now() < deadline) {
        const int next = timeoutMilliseconds();
        const int left = millisecondsUntil(deadline);
        pollfd polled{socket_, events(), 0};
        ::poll(&polled, 1, next < 0 ? left : std::min(next, left));
        process();
    }
}

std::size_t WireConnection::sendable() const {
    return state_ == State::Authenticating ? authenticationLeft_ : out_.size();
}

bool WireConnection::send() {
    while (sendable() > 0) {
        const ssize_t sent = ::send(socket_, out_.data(), sendable(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (sent <= 0) {
            drop(Loss::Closed);
            return false;
        }
        out_.erase(0, static_cast<std::size_t>(sent));
        if (state_ == State::Authenticating)
            authenticationLeft_ -= static_cast<std::size_t>(sent);
    }
    return true;
}

WireConnection::Read WireConnection::receive() {
    const std::span<std::uint8_t> space = stream_.space();
    if (space.empty())
        return Read::Nothing; // whole messages wait to be handled first
    ssize_t got = 0;
    do
        got = ::recv(socket_, space.data(), space.size(), MSG_DONTWAIT);
    while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return Read::Nothing;
    if (got <= 0) {
        drop(Loss::Closed);
        return Read::Lost;
    }
    stream_.received(static_cast<std::size_t>(got));
    return Read::Some;
}

// One line of the authentication, or one message; false when none is there whole.
bool WireConnection::handle() {
    using Next = MessageStream::Next;
    if (state_ == State::Authenticating) {
        std::string_view line;
        const Next next = stream_.nextLine(line);
        if (next == Next::Ready)
            authenticated(line);
        else if (next == Next::Malformed)
            drop(Loss::Malformed);
        return next == Next::Ready;
    }
    WireMessage message;
    const Next next = stream_.nextMessage(message);
    if (next == Next::Ready)
        dispatch(message);
    else if (next == Next::Malformed)
        drop(Loss::Malformed);
    return next == Next::Ready;
}

// The bus answers the authentication with OK and its GUID, or refuses it.
void WireConnection::authenticated(std::string_view line) {
    if (line.starts_with("OK "))
        state_ = State::SettingUp;
    else
        drop(Loss::Closed);
}

// The bus names itself as the sender of what it sends; another client that answers for it,
// with a reply to a serial it guessed, is not heard.
void WireConnection::dispatch(const WireMessage& message) {
    if (message.isReply() && message.replySerial <= setupEnd_) {
        if (message.sender != busName)
            return;
        if (message.type == MessageType::Error)
            drop(Loss::Closed); // a bus that refuses a match has the watch hear nothing
        else if (message.replySerial == setupEnd_)
            state_ = State::Ready;
        return;
    }
    if (message.type >= MessageType::MethodCall && message.type <= MessageType::Signal)
        handlers_.message(message);
}

// A connection that was working is said in the log and made again at once; an attempt that
// did not get that far is tried again later.
void WireConnection::drop(Loss loss) {
    const bool wasWorking = state_ == State::Ready;
    ++generation_;
    ::close(socket_);
    socket_ = -1;
    stream_.clear();
    out_.clear();
    stalled_ = false;
    state_ = State::Authenticating;
    if (!wasWorking) {
        retryLater();
        return;
    }
    const char* what = loss == Loss::Closed      ? "the session bus closed the connection of "
                       : loss == Loss::Malformed ? "the session bus sent a malformed message to "
                                                 : "the session bus stopped reading from ";
    util::log::logMessage(util::log::LogLevel::Warning, what + role_ + "; connecting again.");
    retryDelay_ = {};
    reconnect();
}

// A bus daemon that restarts takes a moment to listen again.
void WireConnection::reconnect() {
    if (!connect())
        retryLater();
}

void WireConnection::retryLater() {
    retryDelay_ = std::clamp(retryDelay_ * 2, firstRetry, lastRetry);
    retryAt_ = Clock::now() + retryDelay_;
}

} // namespace platform::sni
