#pragma once

#include "pixels/Bitmap.h"

#include <string>

namespace gui {

// The bitmap as the bytes of a PNG file: 8-bit RGBA, not interlaced, its pixels stored without
// compression, which every reader takes and needs no library on any system.
std::string encodePng(const Bitmap<Pixel>& bitmap);

} // namespace gui
