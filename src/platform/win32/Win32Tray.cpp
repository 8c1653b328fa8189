#include "platform/win32/Win32Tray.h"

#include "platform/win32/Win32Pixels.h"

// windows.h comes before the other system headers.
// clang-format off
#include <objbase.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace platform::win32 {

HICON iconOf(const gui::Bitmap<gui::Pixel>& picture) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = picture.width();
    header.bV5Height = -picture.height(); // top-down
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00ff0000;
    header.bV5GreenMask = 0x0000ff00;
    header.bV5BlueMask = 0x000000ff;
    header.bV5AlphaMask = 0xff000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(picture.width(), picture.height(), 1, 1, nullptr);
    HICON icon = nullptr;
    if (colour != nullptr && mask != nullptr) {
        packPixels(picture, static_cast<std::uint32_t*>(bits));
        ICONINFO info{TRUE, 0, 0, mask, colour};
        icon = CreateIconIndirect(&info);
    }
    if (colour != nullptr)
        DeleteObject(colour);
    if (mask != nullptr)
        DeleteObject(mask);
    return icon;
}

Win32Tray::~Win32Tray() {
    for (Icon& icon : icons_) {
        Shell_NotifyIconA(NIM_DELETE, &icon.data);
        DestroyIcon(icon.handle);
    }
}

Win32Tray::Icon* Win32Tray::find(HWND owner, std::uint32_t identifier) {
    auto found = std::find_if(icons_.begin(), icons_.end(), [&](const Icon& icon) {
        return icon.data.hWnd == owner && icon.data.uID == identifier;
    });
    return found == icons_.end() ? nullptr : &*found;
}

bool Win32Tray::add(const TrayIconRequest& request) {
    GUID guid{};
    if (CoCreateGuid(&guid) != S_OK)
        throw std::runtime_error("unable to create guid.");
    std::lock_guard lock(mutex_);
    HWND owner = reinterpret_cast<HWND>(request.owner);
    if (find(owner, request.identifier) != nullptr)
        return false;
    Icon icon{};
    icon.data.cbSize = sizeof icon.data;
    icon.data.hWnd = owner;
    icon.data.uID = request.identifier;
    icon.data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.data.uCallbackMessage = request.callbackMessage;
    icon.handle = request.picture != nullptr ? iconOf(*request.picture) : nullptr;
    icon.data.hIcon = icon.handle;
    icon.data.guidItem = guid;
    lstrcpynA(icon.data.szTip, request.tip.c_str(), sizeof icon.data.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon.data);
    // Version 4 sends the hover pop-up's open and close and puts the anchor in wParam.
    icon.data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconA(NIM_SETVERSION, &icon.data);
    icon.data.uFlags = NIF_ICON;
    icons_.push_back(icon);
    return true;
}

bool Win32Tray::setPicture(HWND owner, std::uint32_t identifier,
                           const gui::Bitmap<gui::Pixel>& picture) {
    std::lock_guard lock(mutex_);
    Icon* icon = find(owner, identifier);
    if (icon == nullptr)
        return false;
    HICON previous = icon->handle;
    icon->handle = iconOf(picture);
    icon->data.uFlags = NIF_ICON;
    icon->data.hIcon = icon->handle;
    BOOL shown = Shell_NotifyIconA(NIM_MODIFY, &icon->data); // a restarting taskbar may refuse
    if (previous != nullptr)
        DestroyIcon(previous);
    return shown != FALSE;
}

bool Win32Tray::remove(HWND owner, std::uint32_t identifier) {
    std::lock_guard lock(mutex_);
    Icon* icon = find(owner, identifier);
    if (icon == nullptr)
        return false;
    Shell_NotifyIconA(NIM_DELETE, &icon->data);
    DestroyIcon(icon->handle);
    icons_.erase(icons_.begin() + (icon - icons_.data()));
    return true;
}

} // namespace platform::win32
