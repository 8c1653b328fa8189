#include "platform/headless/TrayArea.h"

#include <algorithm>

namespace platform::headless {

namespace {

constexpr int slotSize = 24;
constexpr int clockSpace = 96; // the clock and the system icons sit at the far end

Point slotCentre(unsigned slot, const std::optional<Taskbar>& taskbar, const Rect& screen) {
    Rect bar = taskbar ? taskbar->bounds
                       : Rect{screen.left, screen.bottom - 40, screen.right, screen.bottom};
    bool vertical = taskbar && (taskbar->edge == ABE_LEFT || taskbar->edge == ABE_RIGHT);
    int offset = clockSpace + slotSize * static_cast<int>(slot) + slotSize / 2;
    if (vertical)
        return {bar.left + bar.width() / 2, bar.bottom - offset};
    return {bar.right - offset, bar.top + bar.height() / 2};
}

} // namespace

bool TrayArea::add(const TrayIconRequest& request, const std::optional<Taskbar>& taskbar,
                   const Rect& screen) {
    if (find(request.owner, request.identifier) != nullptr)
        return false;
    TrayIconState icon;
    icon.owner = request.owner;
    icon.identifier = request.identifier;
    icon.callbackMessage = request.callbackMessage;
    icon.tip = request.tip;
    if (request.picture != nullptr) {
        icon.picture = *request.picture;
        icon.pictures = 1;
    }
    icon.anchor = slotCentre(slots_++, taskbar, screen);
    icons_.push_back(std::move(icon));
    return true;
}

bool TrayArea::setPicture(WindowHandle owner, std::uint32_t identifier,
                          const gui::Bitmap<gui::Pixel>& picture,
                          const gui::Bitmap<gui::Pixel>* small) {
    TrayIconState* icon = find(owner, identifier);
    if (icon == nullptr)
        return false;
    icon->picture = picture; // same size every time: the storage is reused
    if (small != nullptr)
        icon->smallPicture = *small;
    ++icon->pictures;
    return true;
}

bool TrayArea::remove(WindowHandle owner, std::uint32_t identifier) {
    return std::erase_if(
               icons_,
               [&](const TrayIconState& icon) {
                   return icon.owner == owner && icon.identifier == identifier;
               }) > 0;
}

bool TrayArea::move(std::uint32_t identifier, Point anchor) {
    const TrayIconState* icon = find(identifier);
    if (icon == nullptr)
        return false;
    icons_[static_cast<std::size_t>(icon - icons_.data())].anchor = anchor;
    return true;
}

Rect TrayArea::rectOf(const TrayIconState& icon) {
    const Point& c = icon.anchor;
    return {c.x - slotSize / 2, c.y - slotSize / 2, c.x + slotSize / 2, c.y + slotSize / 2};
}

const TrayIconState* TrayArea::find(std::uint32_t identifier) const {
    auto found = std::find_if(icons_.begin(), icons_.end(), [&](const TrayIconState& icon) {
        return icon.identifier == identifier;
    });
    return found == icons_.end() ? nullptr : &*found;
}

TrayIconState* TrayArea::find(WindowHandle owner, std::uint32_t identifier) {
    auto found = std::find_if(icons_.begin(), icons_.end(), [&](const TrayIconState& icon) {
        return icon.owner == owner && icon.identifier == identifier;
    });
    return found == icons_.end() ? nullptr : &*found;
}

} // namespace platform::headless
