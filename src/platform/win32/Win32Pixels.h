#pragma once

#include "pixels/Bitmap.h"

#include <cstdint>

namespace platform::win32 {

// Writes the picture's pixels, rows top-down, as the 32-bit words Windows bitmaps take:
// 0xAARRGGBB. Surfaces without alpha ignore the top byte.
inline void packPixels(const gui::Bitmap<gui::Pixel>& picture, std::uint32_t* out) {
    for (int y = 0; y < picture.height(); ++y)
        for (const gui::Pixel* p = picture.scanline(y); p != picture.scanline(y) + picture.width();
             ++p)
            *out++ = static_cast<std::uint32_t>(p->alpha) << 24 |
                     static_cast<std::uint32_t>(p->red) << 16 |
                     static_cast<std::uint32_t>(p->green) << 8 | p->blue;
}

} // namespace platform::win32
