#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>

namespace platform {

// How much of each pixel a rendered glyph covers, 0 to 255, whatever form FreeType handed it
// in: outlines come as 8-bit grey, but bitmap fonts and embedded strikes keep their own depth
// (1, 2, 4 or 8 bits a pixel, packed), rows may run bottom-up, and colour glyphs are BGRA.
// Colour glyphs lend only their alpha, so that all text in a picture keeps the one colour the
// configuration gave it. Reads the glyph in place: nothing is copied or allocated.
class GlyphCoverage {
public:
    explicit GlyphCoverage(const FT_Bitmap& glyph);

    unsigned width() const { return width_; }
    unsigned rows() const { return rows_; }
    // Row 0 is the top row.
    unsigned char at(unsigned row, unsigned column) const;

private:
    const unsigned char* top_;
    std::ptrdiff_t pitch_;
    unsigned width_;
    unsigned rows_;
    unsigned char mode_;
    unsigned maximum_; // the value that means fully covered, for 8-bit grey
};

} // namespace platform
