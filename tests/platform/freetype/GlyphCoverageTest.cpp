#include "platform/freetype/GlyphCoverage.h"

#include <gtest/gtest.h>
#include <vector>

using platform::GlyphCoverage;

namespace {

FT_Bitmap bitmap(unsigned char mode, unsigned width, unsigned rows, int pitch,
                 std::vector<unsigned char>& bytes, unsigned short grays = 0) {
    FT_Bitmap glyph{};
    glyph.pixel_mode = mode;
    glyph.width = width;
    glyph.rows = rows;
    glyph.pitch = pitch;
    glyph.num_grays = grays;
    glyph.buffer = bytes.data();
    return glyph;
}

std::vector<unsigned> row(const GlyphCoverage& coverage, unsigned y) {
    std::vector<unsigned> levels;
    for (unsigned x = 0; x < coverage.width(); ++x)
        levels.push_back(coverage.at(y, x));
    return levels;
}

} // namespace

// Bitmap fonts come as 1 bit a pixel, padded to whole bytes, and may run bottom-up.
TEST(GlyphCoverage, ReadsOneBitPixelsInEitherRowOrder) {
    std::vector<unsigned char> down{0xff, 0xe0, 0x80, 0x20, 0xe0, 0x00};
    std::vector<unsigned char> up{0xe0, 0x00, 0x80, 0x20, 0xff, 0xe0};
    for (const GlyphCoverage coverage :
         {GlyphCoverage(bitmap(FT_PIXEL_MODE_MONO, 11, 3, 2, down)),
          GlyphCoverage(bitmap(FT_PIXEL_MODE_MONO, 11, 3, -2, up))}) {
        ASSERT_EQ(coverage.width(), 11u);
        ASSERT_EQ(coverage.rows(), 3u);
        EXPECT_EQ(row(coverage, 0), std::vector<unsigned>(11, 255));
        EXPECT_EQ(row(coverage, 1), (std::vector<unsigned>{255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255}));
        EXPECT_EQ(row(coverage, 2), (std::vector<unsigned>{255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
    }
}

// Every depth of grey reaches full coverage at its own top level.
TEST(GlyphCoverage, ScalesEveryDepthOfGreyToFullCoverage) {
    std::vector<unsigned char> two{0x1b}; // 0 1 2 3
    EXPECT_EQ(row(GlyphCoverage(bitmap(FT_PIXEL_MODE_GRAY2, 4, 1, 1, two)), 0),
              (std::vector<unsigned>{0, 85, 170, 255}));
    std::vector<unsigned char> four{0x0f, 0x87}; // 0 15 8 7
    EXPECT_EQ(row(GlyphCoverage(bitmap(FT_PIXEL_MODE_GRAY4, 3, 1, 2, four)), 0),
              (std::vector<unsigned>{0, 255, 136}));
    std::vector<unsigned char> converted{0, 1, 1}; // a 1-bit bitmap converted to bytes
    EXPECT_EQ(row(GlyphCoverage(bitmap(FT_PIXEL_MODE_GRAY, 3, 1, 3, converted, 2)), 0),
              (std::vector<unsigned>{0, 255, 255}));
    std::vector<unsigned char> grey{0, 128, 255};
    EXPECT_EQ(row(GlyphCoverage(bitmap(FT_PIXEL_MODE_GRAY, 3, 1, 3, grey, 256)), 0),
              (std::vector<unsigned>{0, 128, 255}));
}

// Colour glyphs lend their alpha, whatever their colour.
TEST(GlyphCoverage, TakesTheAlphaOfColourGlyphs) {
    std::vector<unsigned char> bgra{0, 0, 0xff, 0xff, 0x40, 0x00, 0x00, 0x80, 9, 9, 9, 0};
    EXPECT_EQ(row(GlyphCoverage(bitmap(FT_PIXEL_MODE_BGRA, 3, 1, 12, bgra)), 0),
              (std::vector<unsigned>{255, 128, 0}));
}
