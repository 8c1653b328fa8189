#include "platform/win32/Win32Tray.h"

#include "platform/win32/Win32Pixels.h"

#include <algorithm>
#include <string>

namespace platform::win32 {

namespace {

// The tip in the shell's UTF-16, cut to its buffer (the portable side already keeps it short).
void copyTip(const std::string& tip, wchar_t (&buffer)[128]) {
    int length = MultiByteToWideChar(CP_UTF8, 0, tip.data(), static_cast<int>(tip.size()), buffer,
                                     static_cast<int>(std::size(buffer)) - 1);
    buffer[std::max(length, 0)] = L'\0';
}

} // namespace

std::vector<std::uint8_t> maskOf(const gui::Bitmap<gui::Pixel>& picture) {
    std::size_t stride = (static_cast<std::size_t>(picture.width()) + 15) / 16 * 2;
    std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(picture.height()), 0);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.scanline(y)[x].alpha == 0)
                bits[stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) / 8] |=
                    static_cast<std::uint8_t>(0x80u >> (x % 8));
    return bits;
}

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
    std::vector<std::uint8_t> maskBits = maskOf(picture);
    HBITMAP mask = CreateBitmap(picture.width(), picture.height(), 1, 1, maskBits.data());
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
        Shell_NotifyIconW(NIM_DELETE, &icon.data);
        DestroyIcon(icon.handle);
    }
}

Win32Tray::Icon* Win32Tray::find(HWND owner, std::uint32_t identifier) {
    auto found = std::find_if(icons_.begin(), icons_.end(), [&](const Icon& icon) {
        return icon.data.hWnd == owner && icon.data.uID == identifier;
    });
    return found == icons_.end() ? nullptr : &*found;
}

// Adds the icon with its call-back, picture and tip, then asks for version 4, which sends the
// hover pop-up's open and close and puts the anchor in wParam.
bool Win32Tray::show(Icon& icon) {
    icon.data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.data.hIcon = icon.handle;
    bool added = Shell_NotifyIconW(NIM_ADD, &icon.data) != FALSE;
    icon.data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &icon.data);
    return added;
}

bool Win32Tray::add(const TrayIconRequest& request) {
    std::lock_guard lock(mutex_);
    HWND owner = reinterpret_cast<HWND>(request.owner);
    if (find(owner, request.identifier) != nullptr)
        return false;
    Icon icon{};
    icon.data.cbSize = sizeof icon.data;
    icon.data.hWnd = owner;
    icon.data.uID = request.identifier;
    icon.data.uCallbackMessage = request.callbackMessage;
    copyTip(request.tip, icon.data.szTip);
    icon.handle = request.picture != nullptr ? iconOf(*request.picture) : nullptr;
    show(icon);
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
    // A taskbar that restarted without telling (or before this program listened) no longer
    // knows the icon: add it again. While no taskbar runs, this fails too and the next picture
    // tries again.
    bool shown = Shell_NotifyIconW(NIM_MODIFY, &icon->data) != FALSE || show(*icon);
    if (previous != nullptr)
        DestroyIcon(previous);
    return shown;
}

bool Win32Tray::remove(HWND owner, std::uint32_t identifier) {
    std::lock_guard lock(mutex_);
    Icon* icon = find(owner, identifier);
    if (icon == nullptr)
        return false;
    Shell_NotifyIconW(NIM_DELETE, &icon->data);
    DestroyIcon(icon->handle);
    icons_.erase(icons_.begin() + (icon - icons_.data()));
    return true;
}

// Each text cut to its field; the shell shows what fits.
bool Win32Tray::showBalloon(const std::wstring& title, const std::wstring& text) {
    std::lock_guard lock(mutex_);
    if (icons_.empty())
        return false;
    NOTIFYICONDATAW balloon = icons_.front().data;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_ERROR;
    title.copy(balloon.szInfoTitle, std::size(balloon.szInfoTitle) - 1);
    balloon.szInfoTitle[std::min(title.size(), std::size(balloon.szInfoTitle) - 1)] = L'\0';
    text.copy(balloon.szInfo, std::size(balloon.szInfo) - 1);
    balloon.szInfo[std::min(text.size(), std::size(balloon.szInfo) - 1)] = L'\0';
    return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

void Win32Tray::returnFocus(HWND owner, std::uint32_t identifier) {
    std::lock_guard lock(mutex_);
    if (Icon* icon = find(owner, identifier))
        Shell_NotifyIconW(NIM_SETFOCUS, &icon->data);
}

void Win32Tray::restore() {
    std::lock_guard lock(mutex_);
    for (Icon& icon : icons_)
        show(icon);
}

} // namespace platform::win32
