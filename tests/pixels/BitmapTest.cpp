#include "pixels/Bitmap.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <utility>

using gui::Bitmap;
using gui::Pixel;

namespace {

const Pixel white{255, 255, 255, 255};
const Pixel clear{0, 0, 0, 0};

Pixel at(const Bitmap<Pixel>& bitmap, int x, int y) {
    return bitmap.scanline(y)[x];
}

int countChanged(const Bitmap<Pixel>& bitmap, Pixel background) {
    int changed = 0;
    for (const Pixel& p : bitmap.pixels())
        changed += p == background ? 0 : 1;
    return changed;
}

} // namespace

TEST(Bitmap, BlendMixesByAlphaTimesFactorAndTruncates) {
    Bitmap<Pixel> bitmap(2, 1, clear);
    bitmap.blend(0, Colour(10.9f, 20.2f, 30.5f, 255), 1.0f);
    EXPECT_EQ(at(bitmap, 0, 0), (Pixel{10, 20, 30, 255}));
    bitmap.blend(0, Colour(200, 200, 200, 255), 0.0f);
    EXPECT_EQ(at(bitmap, 0, 0), (Pixel{10, 20, 30, 255}));
    bitmap.blend(1, Colour(200, 100, 0, 0), 1.0f); // alpha 0 changes nothing
    EXPECT_EQ(at(bitmap, 1, 0), clear);
    bitmap.blend(1, Colour(200, 100, 0, 255), 0.5f);
    EXPECT_EQ(at(bitmap, 1, 0), (Pixel{100, 50, 0, 127}));
    bitmap.blend(2, Colour(1, 1, 1, 255), 1.0f); // past the end: ignored
}

TEST(Bitmap, FillReachesEveryPixelOfAnySize) {
    const Pixel teal{0, 128, 128, 200};
    for (const auto& [width, height] : {std::pair{0, 0}, {1, 1}, {3, 1}, {5, 7}, {480, 81}}) {
        Bitmap<Pixel> bitmap(width, height, white);
        bitmap.fill(teal);
        EXPECT_EQ(countChanged(bitmap, teal), 0) << width << " x " << height;
        EXPECT_EQ(bitmap.pixels().size(), static_cast<std::size_t>(width * height));
    }
}

TEST(Bitmap, ChannelsKeepTheirLowBitsAndNeverOverflow) {
    EXPECT_EQ(gui::channelByte(256.0f), 0);
    EXPECT_EQ(gui::channelByte(-1.0f), 255);
    EXPECT_EQ(gui::channelByte(-0.9f), 0);
    EXPECT_EQ(gui::channelByte(1e20f), 0);
    EXPECT_EQ(gui::channelByte(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(gui::channelByte(-std::numeric_limits<float>::infinity()), 0);
}

TEST(Bitmap, PlainLinesStepThroughTheirPixelsWithOrWithoutTheEndPoint) {
    const Colour from(0, 0, 0, 255);
    const Colour to(110, 0, 0, 255);
    Bitmap<Pixel> withEnd(16, 8, clear);
    withEnd.setAntialiasLines(false);
    withEnd.drawLine(0, 5, from, 10, 5, to);
    EXPECT_EQ(countChanged(withEnd, clear), 11);
    EXPECT_EQ(at(withEnd, 0, 5).red, 10); // the first pixel already carries from + step
    EXPECT_EQ(at(withEnd, 10, 5).red, 110);

    Bitmap<Pixel> withoutEnd(16, 8, clear);
    withoutEnd.setAntialiasLines(false);
    withoutEnd.setIncludeLineEnd(false);
    withoutEnd.drawLine(0, 5, from, 10, 5, to);
    EXPECT_EQ(countChanged(withoutEnd, clear), 10);
    EXPECT_EQ(at(withoutEnd, 0, 5).red, 11);
    EXPECT_EQ(at(withoutEnd, 9, 5).red, 110);
    EXPECT_EQ(at(withoutEnd, 10, 5), clear);

    withoutEnd.drawLine(3, 3, from, 3, 3, to); // no length and no end point: nothing
    EXPECT_EQ(at(withoutEnd, 3, 3), clear);
}

TEST(Bitmap, AntialiasedLinesShadeTheirNeighbours) {
    Bitmap<Pixel> bitmap(16, 8);
    const Colour black(0, 0, 0, 255);
    bitmap.drawLine(2, 4, black, 12, 4, black);
    EXPECT_EQ(at(bitmap, 5, 4), (Pixel{0, 0, 0, 255})); // on the line: full intensity
    const Pixel above = at(bitmap, 5, 3);
    EXPECT_EQ(above, at(bitmap, 5, 5));
    EXPECT_GT(above.red, 100); // a third of the way to black
    EXPECT_LT(above.red, 255);
    EXPECT_EQ(at(bitmap, 5, 2), white);
}

TEST(Bitmap, LinesAreClippedToThePicture) {
    Bitmap<Pixel> bitmap(16, 16, clear);
    bitmap.setAntialiasLines(false);
    const Colour red(255, 0, 0, 255);
    bitmap.drawLine(-5, 8, red, 20, 8, red);
    EXPECT_EQ(countChanged(bitmap, clear), 16);
    bitmap.drawLine(-50, -50, red, -10, 100, red); // entirely outside
    bitmap.drawLine(-2147483647, 3, red, 2147483647, 3, red);
    EXPECT_EQ(at(bitmap, 7, 3), (Pixel{255, 0, 0, 255}));
    bitmap.drawRectangle(-3, -3, 40, 40, red);
    Bitmap<Pixel> empty(0, -4);
    empty.drawLine(0, 0, red, 5, 5, red);
    empty.fillTriangle(0, 0, 5, 0, 5, 5, red, red, red);
    empty.drawDottedHorizontalLine(0, red, 1.0, 1.0f);
    EXPECT_TRUE(empty.pixels().empty());
}

TEST(Bitmap, VerticalGradientStepsOneFifthPerRowAndNeverReachesItsEnd) {
    Bitmap<Pixel> bitmap(3, 6, clear);
    bitmap.fillVerticalGradient(0, 0, 2, 4, Colour(0, 0, 0, 255), Colour(250, 0, 0, 255));
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(at(bitmap, 0, y), (Pixel{static_cast<std::uint8_t>(50 * (y + 1)), 0, 0, 255}));
        EXPECT_EQ(at(bitmap, 2, y), clear); // right edge excluded
    }
    EXPECT_EQ(at(bitmap, 0, 4), clear);
    // Starting above the picture, the visible rows carry the colours they would have had.
    Bitmap<Pixel> clipped(1, 2, clear);
    clipped.fillVerticalGradient(0, -2, 1, 2, Colour(0, 0, 0, 255), Colour(250, 0, 0, 255));
    EXPECT_EQ(at(clipped, 0, 0).red, 150);
    bitmap.fillVerticalGradient(0, 4, 2, 4, Colour(), Colour()); // empty: nothing, no division
}

TEST(Bitmap, HorizontalGradientStepsAlongEachRow) {
    Bitmap<Pixel> bitmap(4, 2, clear);
    bitmap.fillHorizontalGradient(0, 0, 4, 1, Colour(0, 0, 0, 255), Colour(0, 250, 0, 255));
    EXPECT_EQ(at(bitmap, 0, 0).green, 50);
    EXPECT_EQ(at(bitmap, 3, 0).green, 200);
    EXPECT_EQ(at(bitmap, 0, 1), clear);
}

TEST(Bitmap, TrianglesFillTheirInsideOnly) {
    Bitmap<Pixel> bitmap(12, 12, clear);
    const Colour blue(0, 0, 255, 255);
    bitmap.fillTriangle(0, 10, 10, 10, 10, 0, blue, blue, blue);
    EXPECT_EQ(at(bitmap, 8, 8), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(at(bitmap, 5, 10), clear); // on an edge
    EXPECT_EQ(at(bitmap, 1, 1), clear);
    const int inside = countChanged(bitmap, clear);
    bitmap.fillTriangle(10, 0, 10, 10, 0, 10, blue, blue, blue); // the other winding: nothing
    bitmap.fillTriangle(0, 0, 5, 5, 10, 10, blue, blue, blue);   // no area: nothing
    EXPECT_EQ(countChanged(bitmap, clear), inside);

    Bitmap<Pixel> shaded(12, 12, clear);
    shaded.fillTriangle(0, 10, 10, 10, 10, 0, Colour(255, 0, 0, 255), Colour(0, 0, 0, 255),
                        Colour(0, 0, 0, 255));
    EXPECT_GT(at(shaded, 2, 9).red, at(shaded, 8, 3).red); // nearer the red vertex
}

TEST(Bitmap, DottedLinesAndSolidLines) {
    Bitmap<Pixel> half(6, 2, clear);
    Bitmap<Pixel> whole(6, 2, clear);
    half.drawDottedHorizontalLine(1, Colour(9, 9, 9, 255), 0.5, 1.0f);
    whole.drawDottedHorizontalLine(1, Colour(9, 9, 9, 255), 1.0, 1.0f);
    EXPECT_EQ(half.pixels(), whole.pixels());
    Bitmap<Pixel> dotted(7, 1, clear);
    dotted.drawDottedHorizontalLine(0, Colour(9, 9, 9, 255), 3.0, 1.0f);
    EXPECT_EQ(countChanged(dotted, clear), 3); // columns 0, 3 and 6
    dotted.drawDottedHorizontalLine(0, Colour(9, 9, 9, 255), std::nan(""), 1.0f);

    Bitmap<Pixel> lines(3, 3, clear);
    lines.drawHorizontalLine(1, Colour(1, 2, 3, 4));
    lines.drawVerticalLine(0, Colour(5, 6, 7, 8));
    lines.drawHorizontalLine(3, Colour(1, 2, 3, 4));
    EXPECT_EQ(at(lines, 2, 1), (Pixel{1, 2, 3, 4}));
    EXPECT_EQ(at(lines, 0, 1), (Pixel{5, 6, 7, 8}));
    EXPECT_EQ(countChanged(lines, clear), 5);
}
