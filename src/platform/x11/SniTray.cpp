#include "platform/x11/SniTray.h"

#include "platform/Messages.h"
#include "platform/Resources.h"
#include "platform/sni/ClickHint.h"

#include <algorithm>
#include <string>
#include <utility>

namespace platform::x11 {

namespace {

// The menu's own item, which never reaches the owner as a command.
constexpr std::uint32_t showDetailsCommand = 1;

// Each target pixel is the average of the source pixels it covers, or the nearest one when the
// target is the larger.
void scaleTo(const gui::Bitmap<gui::Pixel>& from, gui::Bitmap<gui::Pixel>& to) {
    for (int y = 0; y < to.height(); ++y)
        for (int x = 0; x < to.width(); ++x) {
            const int left = x * from.width() / to.width();
            const int right = std::max(left + 1, (x + 1) * from.width() / to.width());
            const int top = y * from.height() / to.height();
            const int bottom = std::max(top + 1, (y + 1) * from.height() / to.height());
            unsigned sums[4] = {};
            for (int sy = top; sy < bottom; ++sy)
                for (int sx = left; sx < right; ++sx) {
                    const gui::Pixel& p = from.scanline(sy)[sx];
                    sums[0] += p.red;
                    sums[1] += p.green;
                    sums[2] += p.blue;
                    sums[3] += p.alpha;
                }
            const auto count = static_cast<unsigned>((right - left) * (bottom - top));
            to.scanline(y)[x] = {static_cast<std::uint8_t>(sums[0] / count),
                                 static_cast<std::uint8_t>(sums[1] / count),
                                 static_cast<std::uint8_t>(sums[2] / count),
                                 static_cast<std::uint8_t>(sums[3] / count)};
        }
}

// The picture taken as it is when it has the size sent, and scaled when it has not (the first
// one, drawn before the icon knew its tray).
void take(gui::Bitmap<gui::Pixel>& from, gui::Bitmap<gui::Pixel>& to) {
    if (from.width() == to.width() && from.height() == to.height())
        std::swap(from, to); // both keep their pixels' storage
    else
        scaleTo(from, to);
}

} // namespace

bool SniTray::followHosts() {
    if (hosts_ == nullptr)
        hosts_ = sni::HostWatch::open();
    return hosts_ != nullptr;
}

bool SniTray::hostPresent() const {
    return hosts_ != nullptr && hosts_->hostPresent() && refusedAt_ != hosts_->changes();
}

bool SniTray::add(const TrayIconRequest& request) {
    const MenuResource* menu = findMenuResource(contextMenuResource);
    if (menu == nullptr || find(request.owner, request.identifier) != nullptr)
        return false;
    auto icon = std::make_unique<Icon>();
    icon->owner = request.owner;
    icon->identifier = request.identifier;
    icon->callback = request.callbackMessage;
    Icon* self = icon.get();
    sni::SniItem::Handlers handlers{
        [this, self](int x, int y) {
            post(*self, NIN_SELECT, sni::placeClick({x, y}, pointer_(), screen_()));
        },
        [this, self](int, int) { post(*self, WM_CONTEXTMENU, pointer_()); },
        [this, self](std::uint32_t command) {
            if (command == showDetailsCommand)
                post(*self, NIN_SELECT,
                     sni::placeMenuChoice(pointer_(), lastClick_, screen_(), xwayland_));
            else
                events_.push_back(
                    {self->owner, WM_COMMAND, makeWParam(static_cast<int>(command), 0), 0});
        },
        [this] {
            if (hosts_ != nullptr)
                refusedAt_ = hosts_->changes();
        },
        [this, self] { menuOpening_(self->owner); }};
    icon->item = sni::SniItem::open(
        ++itemsMade_, "pakvue-" + std::to_string(request.identifier),
        sni::DbusMenuLayout({{"Show &details", showDetailsCommand}}, *menu), std::move(handlers));
    if (icon->item == nullptr)
        return false;
    for (const auto& [command, checked] : checked_)
        icon->item->setChecked(command, checked);
    icon->item->setTip(request.tip);
    if (request.picture != nullptr) { // a host reads the picture as soon as the item registers
        scaleTo(*request.picture, icon->large);
        scaleTo(*request.picture, icon->small);
        icon->item->setPictures(icon->small, icon->large);
    }
    icon->item->registerWithWatcher();
    std::lock_guard lock(mutex_);
    icons_.push_back(std::move(icon));
    return true;
}

PictureSet SniTray::setPictures(WindowHandle owner, std::uint32_t identifier,
                                const gui::Bitmap<gui::Pixel>& picture,
                                const gui::Bitmap<gui::Pixel>* small) {
    std::lock_guard lock(mutex_);
    if (Icon* icon = find(owner, identifier)) {
        if (small != nullptr)
            icon->smallPicture = *small;
        icon->newSmall = small != nullptr; // else made from the picture
    }
    return storePicture(icons_, owner, identifier, picture);
}

std::optional<gui::Bitmap<gui::Pixel>> SniTray::latestPicture(WindowHandle owner,
                                                              std::uint32_t identifier) const {
    std::lock_guard lock(mutex_);
    const Icon* icon = find(owner, identifier);
    if (icon == nullptr)
        return std::nullopt;
    return icon->newPicture ? icon->picture : icon->large;
}

bool SniTray::remove(WindowHandle owner, std::uint32_t identifier) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(icons_.begin(), icons_.end(), [&](const auto& icon) {
        return icon->owner == owner && icon->identifier == identifier;
    });
    if (found == icons_.end())
        return false;
    icons_.erase(found);
    return true;
}

void SniTray::setTip(WindowHandle owner, std::uint32_t identifier, const std::string& tip) {
    std::lock_guard lock(mutex_);
    for (const auto& icon : icons_)
        if (icon->owner == owner && icon->identifier == identifier) {
            icon->tip = tip;
            icon->newTip = true;
        }
}

void SniTray::setMenuItemChecked(std::uint32_t command, bool checked) {
    checked_[command] = checked;
    for (const auto& icon : icons_)
        icon->item->setChecked(command, checked);
}

void SniTray::refresh() {
    process();
    sendPictures();
}

// Only this thread adds and removes icons, so it reads them without the lock.
void SniTray::sendPictures() {
    for (const auto& icon : icons_) {
        bool picture = false;
        bool small = false;
        {
            std::lock_guard lock(mutex_);
            if (std::exchange(icon->newTip, false))
                icon->item->setTip(icon->tip);
            picture = std::exchange(icon->newPicture, false);
            small = std::exchange(icon->newSmall, false) && picture;
            if (picture)
                take(icon->picture, icon->large);
            if (small)
                take(icon->smallPicture, icon->small);
        }
        if (!picture)
            continue;
        if (!small)
            scaleTo(icon->large, icon->small);
        icon->item->setPictures(icon->small, icon->large);
    }
}

std::vector<TrayEvent> SniTray::takeEvents() {
    return std::exchange(events_, {});
}

void SniTray::watch(std::vector<pollfd>& into) const {
    const auto add = [&into](const auto& bus) {
        into.push_back({bus.descriptor(), bus.events(), 0});
    };
    if (hosts_ != nullptr)
        add(*hosts_);
    for (const auto& icon : icons_)
        add(icon->item->bus());
}

int SniTray::millisecondsToNextEvent() const {
    int wait = -1;
    const auto add = [&wait](const auto& bus) {
        if (const int next = bus.timeoutMilliseconds(); next >= 0)
            wait = wait < 0 ? next : std::min(wait, next);
    };
    if (hosts_ != nullptr)
        add(*hosts_);
    for (const auto& icon : icons_)
        add(icon->item->bus());
    return wait;
}

void SniTray::process() {
    if (hosts_ != nullptr)
        hosts_->process();
    for (const auto& icon : icons_)
        icon->item->bus().process();
}

void SniTray::post(const Icon& icon, std::uint32_t event, Point at) {
    if (event == NIN_SELECT)
        lastClick_ = at;
    events_.push_back({icon.owner, icon.callback, makeWParam(at.x, at.y),
                       makeLParam(static_cast<int>(event), static_cast<int>(icon.identifier))});
}

SniTray::Icon* SniTray::find(WindowHandle owner, std::uint32_t identifier) const {
    for (const auto& icon : icons_)
        if (icon->owner == owner && icon->identifier == identifier)
            return icon.get();
    return nullptr;
}

} // namespace platform::x11
