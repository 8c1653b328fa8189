#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace platform::win32 {

// The notification area through Shell_NotifyIconW with the version-4 call-backs. Pictures may
// be set from any thread; each becomes a new icon handle and the old one is destroyed. The
// shell forgets every icon when Explorer restarts: restore() adds them all again, and a
// picture the shell refuses adds its icon again.
class Win32Tray {
public:
    Win32Tray() = default;
    ~Win32Tray();
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    // Icons are known by their owner and identifier: no NIF_GUID, as a new identity on every
    // run would make Windows list the icon afresh each time.
    bool add(const TrayIconRequest& request);
    bool setPicture(HWND owner, std::uint32_t identifier, const gui::Bitmap<gui::Pixel>& picture);
    bool remove(HWND owner, std::uint32_t identifier);
    // Adds every icon again, as a new taskbar knows none of them.
    void restore();
    // Shows an error balloon from the first icon; false while no icon is shown.
    bool showBalloon(const std::wstring& title, const std::wstring& text);
    // Gives the notification area the keyboard focus back, at the icon, after its menu.
    void returnFocus(HWND owner, std::uint32_t identifier);

private:
    struct Icon {
        NOTIFYICONDATAW data; // everything the shell needs to add the icon afresh
        HICON handle;
    };

    Icon* find(HWND owner, std::uint32_t identifier);
    static bool show(Icon& icon);

    std::mutex mutex_;
    std::vector<Icon> icons_;
};

// An icon handle with the picture's colours and alpha, and a mask that is set where the alpha
// is 0 (so a fully transparent picture shows as nothing, not a black square); null on failure.
HICON iconOf(const gui::Bitmap<gui::Pixel>& picture);

// The picture's monochrome mask as CreateBitmap takes it: rows of whole 16-bit words, most
// significant bit first, a bit set where the pixel is fully transparent.
std::vector<std::uint8_t> maskOf(const gui::Bitmap<gui::Pixel>& picture);

} // namespace platform::win32
