#include "platform/sni/FakeBus.h"

#include "platform/sni/WireBytes.h"
#include "platform/sni/WireMessage.h"

#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds patience(5);

bool waitFor(int fd, short events, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd polled{fd, events, 0};
    return left.count() > 0 && ::poll(&polled, 1, static_cast<int>(left.count())) == 1;
}

} // namespace

FakeBus::FakeBus(const TemporaryDirectory& directory) : path_(directory.file("bus")) {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        previousAddress_ = address;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + path_ + ",guid=1234").c_str(), 1);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    ::unlink(path_.c_str());
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
}

FakeBus::~FakeBus() {
    hangUp();
    ::close(listener_);
    ::unlink(path_.c_str());
    if (previousAddress_)
        ::setenv("DBUS_SESSION_BUS_ADDRESS", previousAddress_->c_str(), 1);
    else
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

bool FakeBus::accept() {
    hangUp();
    if (!waitFor(listener_, POLLIN, Clock::now() + patience))
        return false;
    client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return client_ >= 0;
}

void FakeBus::hangUp() {
    if (client_ >= 0)
        ::close(client_);
    client_ = -1;
    in_.clear();
}

bool FakeBus::fill(std::size_t count, Clock::time_point deadline) {
    while (in_.size() < count) {
        std::uint8_t chunk[4096];
        if (client_ < 0 || !waitFor(client_, POLLIN, deadline))
            return false;
        const ssize_t got = ::recv(client_, chunk, sizeof chunk, 0);
        if (got <= 0)
            return false;
        in_.insert(in_.end(), chunk, chunk + got);
    }
    return true;
}

std::string FakeBus::line(Clock::time_point deadline) {
    for (std::size_t wanted = 1;; ++wanted) {
        if (!fill(wanted, deadline))
            return {};
        if (wanted >= 2 && in_[wanted - 2] == '\r' && in_[wanted - 1] == '\n') {
            std::string text(in_.begin(), in_.begin() + static_cast<long>(wanted) - 2);
            in_.erase(in_.begin(), in_.begin() + static_cast<long>(wanted));
            return text;
        }
    }
}

std::string FakeBus::authenticate(std::string_view answer) {
    const std::string sent = line(Clock::now() + patience);
    write(std::string(answer) + "\r\n");
    if (answer.starts_with("OK"))
        line(Clock::now() + patience); // BEGIN
    return sent;
}

std::vector<std::string> FakeBus::setUp() {
    std::vector<std::string> rules;
    for (std::optional<Call> call; (call = read()) && call->destination == "org.freedesktop.DBus" &&
                                   (call->member == "Hello" || call->member == "AddMatch");) {
        if (call->member == "AddMatch")
            rules.push_back(call->arguments.at(0));
        write(wireReply("org.freedesktop.DBus", call->serial, "", {}));
        if (rules.size() == 3)
            break;
    }
    return rules;
}

std::optional<FakeBus::Call> FakeBus::read(std::chrono::milliseconds within) {
    const Clock::time_point deadline = Clock::now() + within;
    if (!fill(platform::sni::fixedHeaderSize, deadline))
        return std::nullopt;
    const std::optional<std::size_t> length = platform::sni::messageLength(
        std::span<const std::uint8_t, platform::sni::fixedHeaderSize>(in_.data(), 16));
    if (!length || !fill(*length, deadline))
        return std::nullopt;
    const std::vector<std::uint8_t> bytes(in_.begin(), in_.begin() + static_cast<long>(*length));
    in_.erase(in_.begin(), in_.begin() + static_cast<long>(*length));
    const std::optional<platform::sni::WireMessage> message = platform::sni::parseMessage(bytes);
    if (!message)
        return std::nullopt;
    Call call{message->serial, std::string(message->destination), std::string(message->member), {}};
    platform::sni::WireReader body = message->body();
    for (std::size_t i = 0; i < message->signature.size(); ++i)
        call.arguments.emplace_back(body.string());
    return call;
}

void FakeBus::write(std::span<const std::uint8_t> bytes) {
    for (std::size_t sent = 0; client_ >= 0 && sent < bytes.size();) {
        if (!waitFor(client_, POLLOUT, Clock::now() + patience))
            return;
        const ssize_t n = ::send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

void FakeBus::write(std::string_view text) {
    write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace test
