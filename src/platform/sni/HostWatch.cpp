#include "platform/sni/HostWatch.h"

#include "platform/sni/WatcherRules.h"

#include <algorithm>
#include <string_view>

namespace platform::sni {

namespace {

constexpr std::string_view hostRegistered = "StatusNotifierHostRegistered";
constexpr std::string_view hostUnregistered = "StatusNotifierHostUnregistered";
constexpr std::string_view hostRegisteredProperty = "IsStatusNotifierHostRegistered";
// A watcher that has not answered by then counts as having no host.
constexpr std::chrono::seconds answerTime(2);

// Signals of the watcher's interface sent by the watcher's owner: the bus passes on no other
// sender's.
std::string watcherSignalRule(std::string_view member) {
    return std::string("type='signal',sender='") + watcherName + "',path='" + watcherPath +
           "',interface='" + watcherName + "',member='" + std::string(member) + "'";
}

} // namespace

// The first answer is waited for, so that the icons start in the tray that shows them.
std::unique_ptr<HostWatch> HostWatch::open() {
    std::unique_ptr<HostWatch> watch(new HostWatch);
    if (!watch->bus_.open())
        return nullptr;
    HostWatch& self = *watch;
    self.bus_.waitUntil(Clock::now() + answerTime, [&self] { return self.question_ == 0; });
    return watch;
}

HostWatch::HostWatch()
    : bus_("the StatusNotifierItem host watch",
           {[this] { attach(); }, [this](const WireMessage& message) { heard(message); }}) {}

int HostWatch::timeoutMilliseconds() const {
    const int next = bus_.timeoutMilliseconds();
    if (question_ == 0)
        return next;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(questionDeadline_ - Clock::now()).count();
    const int answer = static_cast<int>(std::max<long long>(0, left));
    return next < 0 ? answer : std::min(next, answer);
}

void HostWatch::process() {
    bus_.process();
    if (question_ != 0 && Clock::now() >= questionDeadline_) {
        question_ = 0;
        present_ = false;
    }
}

// The signals are heard before the questions, so a host that comes between the two is not
// missed. On a connection made again, what was known of the old one counts no more. The
// watcher's owner is asked of the bus, so that only the owner's answers and signals count.
void HostWatch::attach() {
    present_ = false;
    owner_.clear();
    ++changes_;
    bus_.addMatch(watcherOwnerRule());
    bus_.addMatch(watcherSignalRule(hostRegistered));
    bus_.addMatch(watcherSignalRule(hostUnregistered));
    ownerQuestion_ = bus_.call(busCall("GetNameOwner"), {watcherName});
    ask();
}

void HostWatch::ask() {
    question_ = bus_.call({watcherName, watcherPath, "org.freedesktop.DBus.Properties", "Get"},
                          {watcherName, hostRegisteredProperty});
    questionDeadline_ = Clock::now() + answerTime;
}

// Any client may send the watch a message, a reply to a serial it guessed or a signal with the
// watcher's names: only the bus's and the watcher's own are heard.
void HostWatch::heard(const WireMessage& message) {
    const bool fromBus = message.sender == busName;
    const bool fromWatcher = !owner_.empty() && message.sender == owner_;
    if (message.isReply()) {
        if (message.replySerial == ownerQuestion_ && fromBus)
            ownerAnswered(message);
        else if (message.replySerial == question_ && (fromWatcher || fromBus))
            answered(message); // the bus answers for a watcher that is gone
    } else if (message.type == MessageType::Signal) {
        if (fromBus && message.member == "NameOwnerChanged")
            ownerChanged(message);
        else if (fromWatcher && message.interface == watcherName &&
                 (message.member == hostRegistered || message.member == hostUnregistered)) {
            // Another host may still be registered, or the one announced may not be: the
            // watcher knows.
            ++changes_;
            ask();
        }
    }
}

// A watcher that starts may already have a host (one process is often both); one that ends
// takes its hosts with it.
void HostWatch::ownerChanged(const WireMessage& nameOwnerChanged) {
    if (nameOwnerChanged.signature != "sss")
        return;
    WireReader body = nameOwnerChanged.body();
    const std::string_view name = body.string();
    body.string(); // the owner before
    const std::string_view owner = body.string();
    if (!body.ok() || name != watcherName)
        return;
    ++changes_;
    owner_ = owner;
    if (!owner_.empty()) {
        ask();
    } else {
        question_ = 0;
        present_ = false;
    }
}

void HostWatch::ownerAnswered(const WireMessage& reply) {
    ownerQuestion_ = 0;
    WireReader body = reply.body();
    const std::string_view owner = body.string();
    const bool named = reply.type == MessageType::MethodReturn && reply.signature == "s";
    owner_ = named && body.ok() ? owner : std::string_view{};
}

// The property comes as a variant that holds a boolean.
void HostWatch::answered(const WireMessage& reply) {
    question_ = 0;
    WireReader body = reply.body();
    const std::string_view type = body.signature();
    const std::uint32_t hasHost = body.uint32();
    present_ = reply.type == MessageType::MethodReturn && reply.signature == "v" && type == "b" &&
               body.ok() && hasHost == 1;
}

} // namespace platform::sni
