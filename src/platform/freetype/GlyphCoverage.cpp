#include "platform/freetype/GlyphCoverage.h"

#include <algorithm>

namespace platform {

namespace {

// The level of pixel `column` in a row packed `bits` to a pixel, the leftmost in the high bits.
unsigned packed(const unsigned char* row, unsigned column, unsigned bits) {
    const unsigned perByte = 8 / bits;
    const unsigned shift = 8 - bits * (column % perByte + 1);
    return (row[column / perByte] >> shift) & ((1u << bits) - 1);
}

} // namespace

GlyphCoverage::GlyphCoverage(const FT_Bitmap& glyph)
    : top_(glyph.buffer), pitch_(glyph.pitch), width_(glyph.width), rows_(glyph.rows),
      mode_(glyph.pixel_mode),
      // Grey converted from fewer levels keeps them (0 and 1 from a 1-bit bitmap, say).
      maximum_(glyph.num_grays > 1 && glyph.num_grays < 256 ? glyph.num_grays - 1 : 255) {
    if (top_ == nullptr)
        width_ = rows_ = 0;
    // A negative pitch means the rows run upwards from the buffer's start: the top row is last.
    else if (pitch_ < 0 && rows_ > 0)
        top_ -= pitch_ * static_cast<std::ptrdiff_t>(rows_ - 1);
}

unsigned char GlyphCoverage::at(unsigned row, unsigned column) const {
    const unsigned char* line = top_ + static_cast<std::ptrdiff_t>(row) * pitch_;
    switch (mode_) {
    case FT_PIXEL_MODE_MONO:
        return packed(line, column, 1) * 255;
    case FT_PIXEL_MODE_GRAY2:
        return packed(line, column, 2) * 85;
    case FT_PIXEL_MODE_GRAY4:
        return packed(line, column, 4) * 17;
    case FT_PIXEL_MODE_GRAY:
        return std::min(line[column], static_cast<unsigned char>(maximum_)) * 255 / maximum_;
    case FT_PIXEL_MODE_BGRA:
        return line[column * 4 + 3];
    default: // sub-pixel modes, which are never asked for: drawn as nothing rather than misread
        return 0;
    }
}

} // namespace platform
