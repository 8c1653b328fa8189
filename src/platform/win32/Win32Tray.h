#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <mutex>
#include <vector>

namespace platform::win32 {

// The notification area through Shell_NotifyIconA with the version-4 call-backs. Pictures may
// be set from any thread; each becomes a new icon handle and the old one is destroyed.
class Win32Tray {
public:
    Win32Tray() = default;
    ~Win32Tray();
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    // Throws std::runtime_error("unable to create guid.") before anything is added.
    bool add(const TrayIconRequest& request);
    bool setPicture(HWND owner, std::uint32_t identifier, const gui::Bitmap<gui::Pixel>& picture);
    bool remove(HWND owner, std::uint32_t identifier);

private:
    struct Icon {
        NOTIFYICONDATAA data;
        HICON handle;
    };

    Icon* find(HWND owner, std::uint32_t identifier);

    std::mutex mutex_;
    std::vector<Icon> icons_;
};

// A 16 x 16 (or any size) icon handle with the picture's colours and alpha; null on failure.
HICON iconOf(const gui::Bitmap<gui::Pixel>& picture);

} // namespace platform::win32
