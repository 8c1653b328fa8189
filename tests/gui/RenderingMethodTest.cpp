#include "gui/BarRenderingMethod.h"
#include "gui/LineRenderingMethod.h"
#include "monitoring/DataBuffer.h"

#include <gtest/gtest.h>

using namespace gui;
using util::system::monitoring::DataBuffer;
using util::system::monitoring::IDataBufferView;

namespace {

const Pixel clear{0, 0, 0, 0};
const Colour green(0, 255, 0, 255);
const Colour red(255, 0, 0, 255);

std::shared_ptr<IDataBufferView> viewOf(Units units, const std::vector<double>& values) {
    auto buffer = std::make_shared<DataBuffer>(units, static_cast<std::uint32_t>(values.size()));
    for (double value : values)
        buffer->push(value);
    return buffer->createView(0, static_cast<int>(values.size()));
}

// The rows of column x that were drawn on.
std::vector<int> drawnRows(const Bitmap<Pixel>& bitmap, int x) {
    std::vector<int> rows;
    for (int y = 0; y < bitmap.height(); ++y)
        if (!(bitmap.scanline(y)[x] == clear))
            rows.push_back(y);
    return rows;
}

int drawnColumns(const Bitmap<Pixel>& bitmap) {
    int columns = 0;
    for (int x = 0; x < bitmap.width(); ++x)
        columns += drawnRows(bitmap, x).empty() ? 0 : 1;
    return columns;
}

const ColourConfiguration greenToRed({{100, red}, {0, green}});

} // namespace

TEST(ColourConfiguration, InterpolatesBetweenSortedStops) {
    EXPECT_EQ(greenToRed.colourAt(50), Colour(127.5f, 127.5f, 0, 255));
    EXPECT_EQ(greenToRed.colourAt(-5), green);
    EXPECT_EQ(greenToRed.colourAt(500), red);
    EXPECT_EQ(greenToRed.colourAt(100), red);
    EXPECT_EQ(ColourConfiguration({}).colourAt(3), Colour(255, 255, 255, 255));
    EXPECT_EQ(ColourConfiguration({{7, red}}).colourAt(-100), red);
    EXPECT_EQ(ColourConfiguration({{0, green}, {0, red}}).colourAt(0), red);
}

TEST(RenderingMethod, RowsMapZeroToTheBottomAndTheMaximumToTheTop) {
    EXPECT_EQ(valueRow(0, 100, 16), 15);
    EXPECT_EQ(valueRow(100, 100, 16), 0);
    EXPECT_EQ(valueRow(50, 100, 16), 8); // 7.5 rounds away from zero
    EXPECT_EQ(valueRow(50, 200, 16), 11);
    EXPECT_EQ(valueRow(300, 100, 16), -30);
    EXPECT_EQ(valueRow(1, 0, 16), -(1 << 30)); // no scale at all: far above, clipped
    EXPECT_EQ(valueRow(0, 0, 16), 15);
    EXPECT_EQ(effectiveMaximum(Units::Percentage, 7, false), 100.0);
    EXPECT_EQ(effectiveMaximum(Units::Percentage, 200, true), 200.0);
    EXPECT_EQ(effectiveMaximum(Units::Rate, 7, false), 7.0);
}

TEST(LineRenderingMethod, DrawsFromTheOldestSampleToTheNewestAtTheRightEdge) {
    Bitmap<Pixel> bitmap(16, 16, clear);
    const std::vector<double> values(17, 50.0);
    LineRenderingMethod().render(bitmap, *viewOf(Units::Percentage, values), 1, greenToRed, 3.0,
                                 false, FillMode::None, 0.5f);
    EXPECT_EQ(drawnColumns(bitmap), 16);
    EXPECT_EQ(drawnRows(bitmap, 0), (std::vector<int>{7, 8, 9})); // row 8 and its neighbours
    EXPECT_EQ(bitmap.scanline(8)[0], (Pixel{127, 127, 0, 255}));

    Bitmap<Pixel> single(16, 16, clear);
    LineRenderingMethod().render(single, *viewOf(Units::None, {5.0}), 1, greenToRed, 10, false,
                                 FillMode::Gradient, 0.5f);
    EXPECT_EQ(drawnColumns(single), 0);
    single.setAntialiasLines(false);
    single.drawLine(0, 0, red, 3, 0, red); // the method left the end point off
    EXPECT_EQ(drawnColumns(single), 3);
}

TEST(LineRenderingMethod, FillsBelowTheLineAsTheFillModeSays) {
    const auto view = viewOf(Units::None, {0, 50, 100, 50, 0});
    const auto render = [&](FillMode mode, float intensity) {
        auto bitmap = std::make_unique<Bitmap<Pixel>>(16, 16, clear);
        LineRenderingMethod().render(*bitmap, *view, 4, greenToRed, 100, true, mode, intensity);
        return bitmap;
    };
    const auto none = render(FillMode::None, 0.5f);
    EXPECT_TRUE(none->scanline(15)[6] == clear);
    const auto flat = render(FillMode::Flat, 0.5f);
    EXPECT_EQ(flat->scanline(14)[5], flat->scanline(14)[7]); // one colour per segment
    // Half the graph's alpha, blended over a clear pixel at that opacity: 127.5 * 0.5.
    EXPECT_EQ(flat->scanline(14)[5].alpha, 63);
    const auto gradient = render(FillMode::Gradient, 0.5f);
    EXPECT_NE(gradient->scanline(14)[5], gradient->scanline(14)[7]);
    EXPECT_EQ(render(FillMode::Gradient, 0.0f)->pixels(), none->pixels());
}

TEST(BarRenderingMethod, DrawsOneBarPerSampleButTheOldest) {
    Bitmap<Pixel> bitmap(16, 16, clear);
    std::vector<double> values(9, 100.0);
    values.back() = 50.0;
    BarRenderingMethod().render(bitmap, *viewOf(Units::None, values), 2, greenToRed, 100, true,
                                FillMode::None, 0.0f);
    // Bars at 16 - 9 * 2 + 1 + 2i: the second sample's bar starts at column 1, the newest at 15.
    EXPECT_EQ(drawnRows(bitmap, 0), std::vector<int>{});
    EXPECT_EQ(drawnRows(bitmap, 1).size(), 16u);
    EXPECT_EQ(drawnRows(bitmap, 15).front(), 8);
    EXPECT_EQ(drawnRows(bitmap, 14).front(), 0);
    EXPECT_EQ(bitmap.scanline(0)[14].red, 240); // 100's red, one 17th of the way to green
    EXPECT_TRUE(drawnRows(bitmap, 15).size() == 8u);

    Bitmap<Pixel> huge(16, 16, clear);
    BarRenderingMethod().render(huge, *viewOf(Units::None, {1, 2, 3}), 1 << 30, greenToRed, 3, true,
                                FillMode::None, 0.0f);
    LineRenderingMethod().render(huge, *viewOf(Units::None, {1, 2, 3}), -(1 << 30), greenToRed, 3,
                                 true, FillMode::Flat, 1.0f);
}
