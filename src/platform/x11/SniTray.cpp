#include "platform/x11/SniTray.h"

#include "platform/Messages.h"
#include "platform/Resources.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

namespace platform::x11 {

namespace {

// A click's position from the host is a hint: exact on xfce and KDE, relative to the panel's
// widget on some others. The pointer is trusted over it when the two are this close.
constexpr int pointerTrust = 64;

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

} // namespace

bool SniTray::hostAvailable() {
    return sni::SniItem::hostAvailable();
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
            post(*self, NIN_SELECT, near({x, y}));
        },
        [this, self](int, int) { post(*self, WM_CONTEXTMENU, pointer_()); },
        [this, self](std::uint32_t command) {
            if (command == showDetailsCommand)
                post(*self, NIN_SELECT, pointer_());
            else
                events_.push_back(
                    {self->owner, WM_COMMAND, makeWParam(static_cast<int>(command), 0), 0});
        }};
    icon->item = sni::SniItem::open(
        ++itemsMade_, "pakvue-" + std::to_string(request.identifier),
        sni::DbusMenuLayout({{"Show &details", showDetailsCommand}}, *menu), std::move(handlers));
    if (icon->item == nullptr)
        return false;
    icon->item->setTip(request.tip);
    if (request.picture != nullptr) { // a host reads the picture as soon as the item registers
        scaleTo(*request.picture, icon->large);
        scaleTo(icon->large, icon->small);
        icon->item->setPictures(icon->small, icon->large);
    }
    icon->item->registerWithWatcher();
    std::lock_guard lock(mutex_);
    icons_.push_back(std::move(icon));
    return true;
}

X11Tray::PictureSet SniTray::setPicture(WindowHandle owner, std::uint32_t identifier,
                                        const gui::Bitmap<gui::Pixel>& picture) {
    std::lock_guard lock(mutex_);
    return storePicture(icons_, owner, identifier, picture);
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

// Only this thread adds and removes icons, so it reads them without the lock.
void SniTray::refresh() {
    for (const auto& icon : icons_) {
        bool picture = false;
        {
            std::lock_guard lock(mutex_);
            if (std::exchange(icon->newTip, false))
                icon->item->setTip(icon->tip);
            picture = std::exchange(icon->newPicture, false);
            if (picture && icon->picture.width() == icon->large.width() &&
                icon->picture.height() == icon->large.height())
                std::swap(icon->picture, icon->large); // the usual case: drawn at the size sent
            else if (picture)
                scaleTo(icon->picture, icon->large);
        }
        if (!picture)
            continue;
        scaleTo(icon->large, icon->small);
        icon->item->setPictures(icon->small, icon->large);
    }
}

std::vector<TrayEvent> SniTray::takeEvents() {
    return std::exchange(events_, {});
}

void SniTray::watch(std::vector<pollfd>& into) const {
    for (const auto& icon : icons_)
        into.push_back({icon->item->descriptor(), icon->item->events(), 0});
}

int SniTray::millisecondsToNextEvent() const {
    int wait = -1;
    for (const auto& icon : icons_)
        if (const int item = icon->item->timeoutMilliseconds(); item >= 0)
            wait = wait < 0 ? item : std::min(wait, item);
    return wait;
}

void SniTray::process() {
    for (const auto& icon : icons_)
        icon->item->process();
}

void SniTray::post(const Icon& icon, std::uint32_t event, Point at) {
    if (event == NIN_SELECT)
        lastClick_ = at;
    events_.push_back({icon.owner, icon.callback, makeWParam(at.x, at.y),
                       makeLParam(static_cast<int>(event), static_cast<int>(icon.identifier))});
}

Point SniTray::near(Point hint) const {
    const Point pointer = pointer_();
    const bool close = std::abs(pointer.x - hint.x) <= pointerTrust &&
                       std::abs(pointer.y - hint.y) <= pointerTrust;
    return close ? pointer : hint;
}

SniTray::Icon* SniTray::find(WindowHandle owner, std::uint32_t identifier) {
    for (const auto& icon : icons_)
        if (icon->owner == owner && icon->identifier == identifier)
            return icon.get();
    return nullptr;
}

} // namespace platform::x11
