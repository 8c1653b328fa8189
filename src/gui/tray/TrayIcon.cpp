#include "gui/tray/TrayIcon.h"

#include "platform/Desktop.h"

#include <algorithm>
#include <atomic>

namespace gui {

namespace {
std::atomic<std::uint32_t> iconsCreated{0};

// Cut at a character's start, never inside one: a cut sequence would show as a stray sign.
std::string cutTip(const std::string& tip) {
    if (tip.size() <= platform::trayTipLength)
        return tip;
    std::size_t end = platform::trayTipLength;
    while (end > 0 && (static_cast<unsigned char>(tip[end]) & 0xC0) == 0x80)
        --end;
    return tip.substr(0, end);
}

} // namespace

TrayIcon::TrayIcon(platform::WindowHandle window, const Bitmap<Pixel>& initial,
                   const std::string& tip)
    : window_(window), identifier_(firstIdentifier + iconsCreated++) {
    platform::desktop().addTrayIcon({window_, identifier_, identifier_, cutTip(tip), &initial});
    setPicture(initial);
}

TrayIcon::~TrayIcon() {
    platform::desktop().removeTrayIcon(window_, identifier_);
}

int TrayIcon::pictureSize() const {
    return std::clamp(platform::desktop().trayPictureSize(window_, identifier_),
                      platform::smallestTrayIconSize, platform::largestTrayIconSize);
}

int TrayIcon::smallPictureSize() const {
    const int side = platform::desktop().traySmallPictureSize(window_, identifier_);
    return side <= 0 ? 0 : std::clamp(side, platform::smallestTrayIconSize, pictureSize());
}

void TrayIcon::setPicture(const Bitmap<Pixel>& picture) {
    platform::desktop().setTrayIconPicture(window_, identifier_, picture);
}

void TrayIcon::setPictures(const Bitmap<Pixel>& picture, const Bitmap<Pixel>& small) {
    platform::desktop().setTrayIconPictures(window_, identifier_, picture, small);
}

void TrayIcon::setTip(const std::string& tip) {
    platform::desktop().setTrayIconTip(window_, identifier_, tip);
}

} // namespace gui
