// Text through GDI: each line is drawn white on black into a memory bitmap with anti-aliasing,
// and the result's brightness is the coverage with which the colour is laid over the picture.
#include "platform/Text.h"
#include "platform/win32/Utf16.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace platform {

namespace {

// One memory DC and one font per family and size, shared by every thread under a lock.
class Gdi {
public:
    static Gdi& instance() {
        static Gdi gdi;
        return gdi;
    }

    std::mutex mutex;
    HDC dc = CreateCompatibleDC(nullptr);

    HFONT font(const TextStyle& style) {
        int pixels = pixelSize(style);
        auto key = std::make_pair(style.family, pixels);
        if (auto found = fonts_.find(key); found != fonts_.end())
            return found->second;
        HFONT made = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                 DEFAULT_PITCH, win32::utf16Of(style.family).c_str());
        return fonts_[key] = made;
    }

    // A top-down 32-bit section of at least width x height, selected into the DC.
    std::uint32_t* canvas(int width, int height) {
        if (width > width_ || height > height_) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = std::max(width, width_);
            info.bmiHeader.biHeight = -std::max(height, height_);
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            void* bits = nullptr;
            HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            if (section == nullptr)
                return nullptr;
            SelectObject(dc, section);
            if (section_ != nullptr)
                DeleteObject(section_);
            section_ = section;
            bits_ = static_cast<std::uint32_t*>(bits);
            width_ = static_cast<int>(info.bmiHeader.biWidth);
            height_ = -static_cast<int>(info.bmiHeader.biHeight);
        }
        return bits_;
    }
    int stride() const { return width_; }

    void releaseFonts() {
        SelectObject(dc, GetStockObject(SYSTEM_FONT)); // a selected font cannot be deleted
        for (auto& entry : fonts_)
            DeleteObject(entry.second);
        fonts_.clear();
    }

private:
    Gdi() = default;
    ~Gdi() {
        for (auto& entry : fonts_)
            DeleteObject(entry.second);
        if (section_ != nullptr)
            DeleteObject(section_);
        DeleteDC(dc);
    }

    std::map<std::pair<std::string, int>, HFONT> fonts_;
    HBITMAP section_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

UINT alignmentFlags(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::Far:
        return DT_RIGHT;
    case TextAlignment::Centre:
        return DT_CENTER;
    case TextAlignment::Near:
        break;
    }
    return DT_LEFT;
}

} // namespace

TextExtent measureText(const std::string& text, const TextStyle& style) {
    Gdi& gdi = Gdi::instance();
    std::lock_guard lock(gdi.mutex);
    SelectObject(gdi.dc, gdi.font(style));
    std::wstring wide = win32::utf16Of(text);
    SIZE size{};
    GetTextExtentPoint32W(gdi.dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(gdi.dc, &metrics);
    return {static_cast<float>(size.cx), static_cast<float>(metrics.tmHeight)};
}

void drawText(gui::Bitmap<gui::Pixel>& bitmap, const std::string& text, const TextStyle& style,
              const TextBox& box, TextAlignment alignment) {
    if (text.empty() || box.width <= 0 || box.height <= 0)
        return;
    Gdi& gdi = Gdi::instance();
    std::lock_guard lock(gdi.mutex);
    std::uint32_t* bits = gdi.canvas(box.width, box.height);
    if (bits == nullptr)
        return;
    for (int y = 0; y < box.height; ++y)
        std::fill(bits + y * gdi.stride(), bits + y * gdi.stride() + box.width, 0u);
    SelectObject(gdi.dc, gdi.font(style));
    SetTextColor(gdi.dc, RGB(255, 255, 255));
    SetBkMode(gdi.dc, TRANSPARENT);
    RECT area{0, 0, box.width, box.height};
    std::wstring wide = win32::utf16Of(text);
    DrawTextW(gdi.dc, wide.c_str(), static_cast<int>(wide.size()), &area,
              DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_TOP | alignmentFlags(alignment));
    GdiFlush();
    for (int y = 0; y < box.height; ++y) {
        int targetY = box.y + y;
        if (targetY < 0 || targetY >= bitmap.height())
            continue;
        for (int x = 0; x < box.width; ++x) {
            int targetX = box.x + x;
            std::uint32_t coverage = (bits[y * gdi.stride() + x] >> 8) & 0xff; // green
            if (coverage == 0 || targetX < 0 || targetX >= bitmap.width())
                continue;
            bitmap.blend(static_cast<std::size_t>(targetY) * bitmap.width() + targetX, style.colour,
                         static_cast<float>(coverage) / 255.0f);
        }
    }
}

void releaseFonts() {
    Gdi& gdi = Gdi::instance();
    std::lock_guard lock(gdi.mutex);
    gdi.releaseFonts();
}

} // namespace platform
