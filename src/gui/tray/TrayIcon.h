#pragma once

#include "pixels/Bitmap.h"
#include "platform/Messages.h"

#include <cstdint>
#include <string>

namespace gui {

// One icon in the notification area, owned by this object: added on construction, removed on
// destruction. Its call-back messages go to the owner window with the icon's identifier as
// their message number.
class TrayIcon {
public:
    // Identifiers count from 2361 in the order icons are created in the process.
    static constexpr std::uint32_t firstIdentifier = 2361;

    // `tip` names the icon where the desktop lists its icons (UTF-8, cut to what it shows).
    TrayIcon(platform::WindowHandle window, const Bitmap<Pixel>& initial, const std::string& tip);
    virtual ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    std::uint32_t identifier() const { return identifier_; }
    // The side of the picture the notification area shows for this icon now, in pixels.
    int pictureSize() const;
    // The side of the smaller picture the notification area takes beside it, or 0 for none.
    int smallPictureSize() const;

protected:
    // Failures (a restarting taskbar, say) are ignored: the next picture tries again.
    void setPicture(const Bitmap<Pixel>& picture);
    void setPictures(const Bitmap<Pixel>& picture, const Bitmap<Pixel>& small);
    void setTip(const std::string& tip);

private:
    platform::WindowHandle window_;
    std::uint32_t identifier_;
};

} // namespace gui
