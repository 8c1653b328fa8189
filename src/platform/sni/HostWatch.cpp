#include "platform/sni/HostWatch.h"

#include "platform/sni/WatcherSignals.h"

namespace platform::sni {

namespace {

constexpr const char* hostRegisteredProperty = "IsStatusNotifierHostRegistered";
constexpr std::uint64_t firstAnswerMicroseconds = 2'000'000;

} // namespace

// The first answer is waited for, so that the icons start in the tray that shows them.
std::unique_ptr<HostWatch> HostWatch::open() {
    std::unique_ptr<HostWatch> watch(new HostWatch);
    if (!watch->bus_.open())
        return nullptr;
    sd_bus* bus = watch->bus_.get();
    sd_bus_set_method_call_timeout(bus, firstAnswerMicroseconds);
    int hasHost = 0;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    watch->present_ =
        sd_bus_get_property_trivial(bus, watcherName, watcherPath, watcherName,
                                    hostRegisteredProperty, &error, 'b', &hasHost) >= 0 &&
        hasHost != 0;
    sd_bus_error_free(&error);
    watch->question_ = sd_bus_slot_unref(watch->question_); // answered already
    return watch;
}

HostWatch::HostWatch()
    : bus_("the StatusNotifierItem host watch", [this](sd_bus* bus) { return attach(bus); }) {}

HostWatch::~HostWatch() {
    sd_bus_slot_unref(question_);
}

// The signals are heard before the question, so a host that comes between the two is not
// missed. On a connection made again, what was known of the old one counts no more.
bool HostWatch::attach(sd_bus* bus) {
    present_ = false;
    ++changes_;
    if (matchWatcherOwner(bus, nullptr, ownerChanged, this) < 0 ||
        matchWatcherSignal(bus, nullptr, "StatusNotifierHostRegistered", hostChanged, this) < 0 ||
        matchWatcherSignal(bus, nullptr, "StatusNotifierHostUnregistered", hostChanged, this) < 0)
        return false;
    ask();
    return true;
}

void HostWatch::ask() {
    question_ = sd_bus_slot_unref(question_);
    sd_bus_call_method_async(bus_.get(), &question_, watcherName, watcherPath,
                             "org.freedesktop.DBus.Properties", "Get", answered, this, "ss",
                             watcherName, hostRegisteredProperty);
}

// A watcher that starts may already have a host (one process is often both); one that ends
// takes its hosts with it.
int HostWatch::ownerChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto& self = *static_cast<HostWatch*>(userdata);
    ++self.changes_;
    if (gainedOwner(m)) {
        self.ask();
    } else {
        self.question_ = sd_bus_slot_unref(self.question_);
        self.present_ = false;
    }
    return 0;
}

// Another host may still be registered, or the one announced may not be: the watcher knows.
int HostWatch::hostChanged(sd_bus_message*, void* userdata, sd_bus_error*) {
    auto& self = *static_cast<HostWatch*>(userdata);
    ++self.changes_;
    self.ask();
    return 0;
}

int HostWatch::answered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    auto& self = *static_cast<HostWatch*>(userdata);
    self.question_ = sd_bus_slot_unref(self.question_);
    int hasHost = 0;
    self.present_ = sd_bus_message_get_error(reply) == nullptr &&
                    sd_bus_message_read(reply, "v", "b", &hasHost) >= 0 && hasHost != 0;
    return 0;
}

} // namespace platform::sni
