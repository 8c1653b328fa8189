#include "platform/Text.h"
#include "support/Golden.h"

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
