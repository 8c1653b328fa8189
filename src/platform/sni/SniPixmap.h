#pragma once

#include "pixels/Bitmap.h"

#include <cstdint>
#include <vector>

namespace platform::sni {

// A picture as a StatusNotifierItem pixmap: four bytes a pixel in the order alpha, red, green,
// blue (ARGB32 in network byte order), rows top to bottom, colours not premultiplied. `out`
// keeps its storage from one picture to the next.
void toArgb32(const gui::Bitmap<gui::Pixel>& picture, std::vector<std::uint8_t>& out);

} // namespace platform::sni
