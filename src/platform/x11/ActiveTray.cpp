#include "platform/x11/ActiveTray.h"

#include "util/log/AppLog.h"

#include <algorithm>
#include <cstdlib>

namespace platform::x11 {

namespace {

// How long the host of the kind showing the icons may be gone before they go to another kind:
// a panel that restarts, slowly on a loaded machine, is back within it.
constexpr std::chrono::seconds hostGrace(10);

} // namespace

ActiveTray::ActiveTray(std::vector<std::unique_ptr<Tray>> kinds)
    : kinds_(std::move(kinds)), active_(kinds_.back().get()) {}

// At the first icon, when the log is open to say which kind shows them.
void ActiveTray::choose() {
    chosen_ = true;
    const char* forced = std::getenv("PAKVUE_TRAY");
    const auto named = std::find_if(kinds_.begin(), kinds_.end(), [forced](const auto& kind) {
        return forced != nullptr && kind->name() == forced;
    });
    if (named != kinds_.end()) {
        active_ = named->get();
    } else {
        following_ = true;
        for (const auto& kind : kinds_)
            kind->followHosts(); // a kind that cannot follow never has a host
        if (Tray* kind = mostPreferredWithHost())
            active_ = kind;
    }
    util::log::logMessage(util::log::LogLevel::Info, active_->shownThrough());
}

Tray* ActiveTray::mostPreferredWithHost() const {
    for (const auto& kind : kinds_)
        if (kind->hostPresent())
            return kind.get();
    return nullptr;
}

bool ActiveTray::preferred(const Tray* kind, const Tray* over) const {
    for (const auto& each : kinds_) {
        if (each.get() == over)
            return false;
        if (each.get() == kind)
            return true;
    }
    return false;
}

// A more preferred host takes the icons at once; one that goes leaves them a while, and they
// go to another kind only when its host is there to show them.
void ActiveTray::follow() {
    if (!following_)
        return;
    Tray* best = mostPreferredWithHost();
    if (best != nullptr && preferred(best, active_))
        moveTo(*best);
    else if (active_->hostPresent())
        hostGoneSince_.reset();
    else if (!hostGoneSince_)
        hostGoneSince_ = Clock::now();
    else if (Clock::now() - *hostGoneSince_ >= hostGrace && best != nullptr)
        moveTo(*best);
}

// Each icon leaves one kind and joins the other with its newest picture and tips; its next
// picture is drawn at the size of the kind it is in.
void ActiveTray::moveTo(Tray& kind) {
    hostGoneSince_.reset();
    std::lock_guard route(route_);
    for (const ShownIcon& icon : icons_) {
        const std::optional<gui::Bitmap<gui::Pixel>> picture =
            active_->latestPicture(icon.owner, icon.identifier);
        active_->remove(icon.owner, icon.identifier);
        const TrayIconRequest request{icon.owner, icon.identifier, icon.callback, icon.tip,
                                      picture ? &*picture : nullptr};
        if (!kind.add(request))
            util::log::logMessage(util::log::LogLevel::Warning,
                                  "unable to move an icon to the other tray: " + icon.tip);
        else if (!icon.valueTip.empty())
            kind.setTip(icon.owner, icon.identifier, icon.valueTip);
    }
    active_ = &kind;
    util::log::logMessage(util::log::LogLevel::Info, kind.shownThrough());
}

bool ActiveTray::add(const TrayIconRequest& request) {
    if (!chosen_)
        choose();
    std::lock_guard route(route_);
    if (!active_->add(request))
        return false;
    icons_.push_back({request.owner, request.identifier, request.callbackMessage, request.tip, {}});
    return true;
}

bool ActiveTray::remove(WindowHandle owner, std::uint32_t identifier) {
    std::lock_guard route(route_);
    std::erase_if(icons_, [&](const ShownIcon& icon) {
        return icon.owner == owner && icon.identifier == identifier;
    });
    return active_->remove(owner, identifier);
}

PictureSet ActiveTray::setPictures(WindowHandle owner, std::uint32_t identifier,
                                   const gui::Bitmap<gui::Pixel>& picture,
                                   const gui::Bitmap<gui::Pixel>* small) {
    std::lock_guard route(route_);
    return active_->setPictures(owner, identifier, picture, small);
}

// Kept for a kind that shows tips and comes later.
void ActiveTray::setTip(WindowHandle owner, std::uint32_t identifier, const std::string& tip) {
    std::lock_guard route(route_);
    for (ShownIcon& icon : icons_)
        if (icon.owner == owner && icon.identifier == identifier)
            icon.valueTip = tip;
    active_->setTip(owner, identifier, tip);
}

int ActiveTray::pictureSize(WindowHandle owner, std::uint32_t identifier) const {
    std::lock_guard route(route_);
    return active_->pictureSize(owner, identifier);
}

int ActiveTray::smallPictureSize() const {
    std::lock_guard route(route_);
    return active_->smallPictureSize();
}

void ActiveTray::setMenuItemChecked(std::uint32_t command, bool checked) {
    for (const auto& kind : kinds_)
        kind->setMenuItemChecked(command, checked);
}

bool ActiveTray::handles(const XEvent& event) {
    return std::any_of(
        kinds_.begin(), kinds_.end(), [&event](const auto& kind) { return kind->handles(event); });
}

void ActiveTray::watch(std::vector<pollfd>& into) const {
    for (const auto& kind : kinds_)
        kind->watch(into);
}

// Past the grace, only a host's coming is awaited, and it wakes the loop itself.
int ActiveTray::millisecondsToNextEvent() const {
    int wait = -1;
    const auto consider = [&wait](int next) {
        if (next >= 0)
            wait = wait < 0 ? next : std::min(wait, next);
    };
    for (const auto& kind : kinds_)
        consider(kind->millisecondsToNextEvent());
    if (hostGoneSince_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*hostGoneSince_ + hostGrace -
                                                                       Clock::now());
        if (left.count() > 0)
            consider(static_cast<int>(left.count()));
    }
    return wait;
}

void ActiveTray::refresh() {
    for (const auto& kind : kinds_)
        kind->refresh();
    const Tray* before = active_;
    follow();
    if (active_ != before)
        active_->refresh(); // the icons show in the new kind now, not at the next wake-up
}

std::vector<TrayEvent> ActiveTray::takeEvents() {
    std::vector<TrayEvent> events = kinds_.front()->takeEvents();
    for (auto kind = kinds_.begin() + 1; kind != kinds_.end(); ++kind)
        for (const TrayEvent& event : (*kind)->takeEvents())
            events.push_back(event);
    return events;
}

} // namespace platform::x11
