#include "platform/Text.h"
#include "support/Golden.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

using gui::Bitmap;
using gui::Pixel;

namespace {

const platform::TextStyle legend{"Tahoma", 8.0f, Colour(221, 221, 221, 255)};
const Pixel background{0, 0, 0, 127};

// The columns that text changed.
std::pair<int, int> inkColumns(const Bitmap<Pixel>& bitmap) {
    int first = bitmap.width();
    int last = -1;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            if (!(bitmap.scanline(y)[x] == background)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

std::unique_ptr<Bitmap<Pixel>> drawn(const std::string& text, int width,
                                     platform::TextAlignment alignment) {
    auto bitmap = std::make_unique<Bitmap<Pixel>>(width, 16, background);
    platform::drawText(*bitmap, text, legend, {0, 0, width, 16}, alignment);
    return bitmap;
}

// Fontconfig offering one font file and nothing else while it lives, whatever is installed
// (installed configurations often refuse bitmap fonts).
class OnlyFont {
public:
    explicit OnlyFont(const char* file) : previous_(FcConfigReference(nullptr)) {
        FcConfig* config = FcConfigCreate();
        FcConfigBuildFonts(config);
        FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file));
        FcConfigSetCurrent(config);
        FcConfigDestroy(config); // being current holds it
    }
    ~OnlyFont() {
        FcConfigSetCurrent(previous_);
        FcConfigDestroy(previous_);
    }
    OnlyFont(const OnlyFont&) = delete;
    OnlyFont& operator=(const OnlyFont&) = delete;

private:
    FcConfig* previous_;
};

} // namespace

TEST(Text, MeasuresOneLineOfAnInstalledFace) {
    const auto last = platform::measureText("Last", legend);
    const auto longer = platform::measureText("Last Last", legend);
    EXPECT_GT(last.width, 10.0f);
    EXPECT_GT(longer.width, 2 * last.width);
    EXPECT_GT(last.height, 8.0f);
    EXPECT_LT(last.height, 20.0f);
    EXPECT_EQ(platform::measureText("", legend).width, 0.0f);
}

TEST(Text, AlignsWithinItsBoxAndCutsWithAnEllipsis) {
    const auto near = inkColumns(*drawn("Last", 60, platform::TextAlignment::Near));
    const auto far = inkColumns(*drawn("Last", 60, platform::TextAlignment::Far));
    const auto centre = inkColumns(*drawn("Last", 60, platform::TextAlignment::Centre));
    EXPECT_LE(near.first, 1);
    EXPECT_GE(far.second, 56);
    EXPECT_LT(near.second, centre.second);
    EXPECT_LT(centre.second, far.second);

    const auto cut =
        drawn("Bytes Total/sec of every network interface", 60, platform::TextAlignment::Near);
    EXPECT_LT(inkColumns(*cut).second, 60);
    Bitmap<Pixel> clipped(40, 16, background); // a box reaching past the bitmap
    platform::drawText(clipped, "1.5 KiB/s", legend, {30, 5, 100, 100},
                       platform::TextAlignment::Near);
    platform::drawText(clipped, "\xff\xfe broken UTF-8", legend, {-5, -5, 10, 10},
                       platform::TextAlignment::Far);
}

TEST(Text, MatchesItsGoldenPictures) {
    test::checkGolden("text-last", *drawn("Last", 40, platform::TextAlignment::Near));
    test::checkGolden("text-rate", *drawn("1.5 KiB/s", 60, platform::TextAlignment::Far));
    test::checkGolden("text-ellipsis", *drawn("Bytes Total/sec of every network interface", 80,
                                              platform::TextAlignment::Near));
}

// Fonts closed while no text shows open again with the next text, and draw the same.
TEST(Text, DrawsTheSameOnceTheFontsWereReleased) {
    for (int round = 0; round < 2; ++round) {
        platform::releaseFonts();
        test::checkGolden("text-rate", *drawn("1.5 KiB/s", 60, platform::TextAlignment::Far));
    }
}

// A bitmap font's glyphs are 1 bit a pixel; they are drawn bit for bit, at the font's own size
// and in place of sizes it does not have.
TEST(Text, DrawsTheBitsOfABitmapFont) {
    const OnlyFont font(PAKVUE_TEST_DATA "/fonts/pakvue-bitmap.bdf");
    const char* const glyph[] = {"###########", "#.........#", "#.#.#.#.#.#", "###........"};
    const int left = 2;
    const int top = 1 + 10 - 4; // the box's top, the font's ascent, the glyph's height
    const int advance = 12;
    for (const float points : {9.0f, 8.0f, 30.0f}) { // 12 pixels (its size), 11 and 40
        SCOPED_TRACE(points);
        const platform::TextStyle style{"PakVue Bitmap", points, Colour(255, 255, 255, 255)};
        Bitmap<Pixel> bitmap(30, 14, background);
        platform::drawText(bitmap, "AA", style, {left, 1, 28, 13}, platform::TextAlignment::Near);
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x) {
                const int column = (x - left) % advance;
                const bool ink = y >= top && y < top + 4 && x >= left && x < left + 2 * advance &&
                                 column < 11 && glyph[y - top][column] == '#';
                EXPECT_EQ(!(bitmap.scanline(y)[x] == background), ink) << x << "," << y;
            }
        }
    }
}
