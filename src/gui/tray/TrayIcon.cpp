#include "gui/tray/TrayIcon.h"

#include "platform/Desktop.h"

#include <algorithm>
#include <atomic>

namespace gui {

namespace {
std::atomic<std::uint32_t> iconsCreated{0};
} // namespace

TrayIcon::TrayIcon(platform::WindowHandle window, const Bitmap<Pixel>& initial)
    : window_(window), identifier_(firstIdentifier + iconsCreated++) {
    platform::desktop().addTrayIcon({window_, identifier_, identifier_, "PakVue", &initial});
    setPicture(initial);
}

TrayIcon::~TrayIcon() {
    platform::desktop().removeTrayIcon(window_, identifier_);
}

int TrayIcon::pictureSize() const {
    return std::clamp(platform::desktop().trayPictureSize(window_, identifier_),
                      platform::smallestTrayIconSize, platform::largestTrayIconSize);
}

void TrayIcon::setPicture(const Bitmap<Pixel>& picture) {
    platform::desktop().setTrayIconPicture(window_, identifier_, picture);
}

} // namespace gui
