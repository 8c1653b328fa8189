#include "gui/FrameRenderer.h"

#include "gui/DataSet.h"
#include "gui/LineRenderingMethod.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace gui;
using util::system::monitoring::DataBuffer;

namespace {

const Pixel clear{0, 0, 0, 0};

struct Frame {
    std::shared_ptr<IDataSet> dataSet = std::make_shared<DataSet>(Collectors{});
    DisplayConfiguration display;

    Frame() {
        display.background = Colour(0, 0, 0, 127);
        display.step = 1;
    }

    // A graph over a buffer holding `values`, drawn with a line in plain white.
    GraphConfiguration& addGraph(Units units, const std::vector<double>& values) {
        auto buffer =
            std::make_shared<DataBuffer>(units, static_cast<std::uint32_t>(values.size()));
        for (double value : values)
            buffer->push(value);
        GraphConfiguration graph;
        graph.buffer = buffer;
        graph.view = buffer->createView(0, static_cast<int>(values.size()));
        graph.renderingMethod = std::make_shared<LineRenderingMethod>();
        graph.colours =
            std::make_shared<ColourConfiguration>(std::vector<ColourConfiguration::Stop>{});
        display.graphs.push_back(graph);
        return display.graphs.back();
    }

    std::unique_ptr<Bitmap<Pixel>> draw(int width, int height) {
        auto bitmap = std::make_unique<Bitmap<Pixel>>(width, height, clear);
        drawFrame(*bitmap, display, *dataSet);
        return bitmap;
    }
};

std::vector<int> rowsOfColour(const Bitmap<Pixel>& bitmap, int x, Pixel colour) {
    std::vector<int> rows;
    for (int y = 0; y < bitmap.height(); ++y)
        if (bitmap.scanline(y)[x] == colour)
            rows.push_back(y);
    return rows;
}

const Pixel grid{31, 31, 31, 255};

} // namespace

TEST(FrameRenderer, ScalesToTheLargestRescalingGraphUnlessFixed) {
    Frame frame;
    frame.draw(16, 16);
    EXPECT_EQ(frame.display.computedMaximum, 0.1); // nothing to scale by

    frame.addGraph(Units::Rate, {0, 3000, 100});
    frame.addGraph(Units::None, {0, 90000}).rescale = false;
    frame.draw(16, 16);
    EXPECT_EQ(frame.display.computedMaximum, 4096.0);

    frame.display.hasMinimumMaximum = true;
    frame.display.minimumMaximum = 10000;
    frame.draw(16, 16);
    EXPECT_EQ(frame.display.computedMaximum, 10000.0);

    frame.display.fixedScale = true;
    frame.display.fixedMaximum = 50;
    frame.draw(16, 16);
    EXPECT_EQ(frame.display.computedMaximum, 50.0);
}

TEST(FrameRenderer, TrayFramesGetRoundedCornersAndLargeFramesAGrid) {
    Frame frame;
    const auto tray = frame.draw(16, 16);
    EXPECT_EQ(tray->scanline(0)[0], (Pixel{0, 0, 0, 63}));
    EXPECT_EQ(tray->scanline(15)[15], (Pixel{0, 0, 0, 63}));
    EXPECT_EQ(tray->scanline(7)[7], (Pixel{0, 0, 0, 127}));
    const auto largestTray = frame.draw(64, 64); // a large tray's picture is an icon still
    EXPECT_EQ(largestTray->scanline(63)[0], (Pixel{0, 0, 0, 63}));
    EXPECT_TRUE(rowsOfColour(*largestTray, 3, grid).empty());

    const auto large = frame.draw(40, 65);
    EXPECT_EQ(large->scanline(64)[0].alpha, 255); // the grid's bottom row, not a corner
    // Scale 0.1: rows every eighth of 64, columns every 4 starting at column 3 at version 0.
    EXPECT_EQ(rowsOfColour(*large, 1, grid), (std::vector<int>{0, 8, 16, 24, 32, 40, 48, 56, 64}));
    EXPECT_EQ(rowsOfColour(*large, 3, grid).size(), 65u);
    frame.dataSet->update(); // the grid moves with the data
    const auto moved = frame.draw(40, 65);
    EXPECT_EQ(rowsOfColour(*moved, 2, grid).size(), 65u);

    frame.display.fixedScale = true;
    frame.display.fixedMaximum = 100;
    const auto percent = frame.draw(40, 81);
    EXPECT_EQ(rowsOfColour(*percent, 1, grid),
              (std::vector<int>{0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80}));
}

TEST(FrameRenderer, GaugeLinesFadeOutsideTheScale) {
    EXPECT_FLOAT_EQ(gaugeOpacity(100, 100), 1.0f);
    EXPECT_FLOAT_EQ(gaugeOpacity(150, 100), 1.0f / 3);
    EXPECT_FLOAT_EQ(gaugeOpacity(200, 100), 0.5f);
    EXPECT_FLOAT_EQ(gaugeOpacity(201, 100), 0.0f);
    EXPECT_FLOAT_EQ(gaugeOpacity(12.5, 100), 0.5f);
    EXPECT_FLOAT_EQ(gaugeOpacity(50, 100), 1.0f);
    EXPECT_FLOAT_EQ(gaugeOpacity(5, 0), 0.0f);

    const auto gaugeRows = [](double value) {
        Frame frame;
        frame.display.background = Colour(0, 0, 0, 255);
        frame.display.fixedScale = true;
        frame.display.fixedMaximum = 100;
        frame.display.gaugeLines = {{value, Colour(255, 255, 255, 255), 1}};
        const auto bitmap = frame.draw(8, 16);
        std::vector<int> rows;
        for (int y = 0; y < 16; ++y)
            rows.push_back(bitmap->scanline(y)[3].red);
        return rows;
    };
    std::vector<int> top(16, 0);
    top[0] = 255; // at the maximum: the top row, full
    EXPECT_EQ(gaugeRows(100), top);
    top[0] = 85; // at 1.5 times the maximum: still the top row, a third
    EXPECT_EQ(gaugeRows(150), top);
    EXPECT_EQ(gaugeRows(250), std::vector<int>(16, 0));
    std::vector<int> middle(16, 0);
    middle[8] = 255; // 50 of 100: row 7.5, rounded away from zero
    EXPECT_EQ(gaugeRows(50), middle);
}

TEST(FrameRenderer, AHighlightedAverageTintsTheBackground) {
    Highlight percent{true, false, 90, Units::Percentage, Colour(255, 0, 0, 255)};
    EXPECT_FLOAT_EQ(alertIntensity(percent, 95), 0.5f);
    EXPECT_FLOAT_EQ(alertIntensity(percent, 85), 0.0f);
    percent.inverted = true;
    EXPECT_FLOAT_EQ(alertIntensity(percent, 85), 0.5f);
    Highlight rate{true, false, 1000, Units::Rate, Colour()};
    EXPECT_FLOAT_EQ(alertIntensity(rate, 750), 0.5f); // halfway from 500 to 1000
    EXPECT_FLOAT_EQ(alertIntensity(rate, 2000), 1.0f);
    EXPECT_FLOAT_EQ(alertIntensity(rate, std::nan("")), 0.0f);

    Frame frame;
    frame.display.background = Colour(0, 0, 255, 255);
    auto& graph = frame.addGraph(Units::Percentage, {95, 95});
    graph.highlight = {true, false, 90, Units::Percentage, Colour(255, 0, 0, 255)};
    graph.renderingMethod.reset(); // the background alone
    const auto bitmap = frame.draw(16, 16);
    // Red at half intensity (alpha included) laid over opaque blue.
    EXPECT_EQ(bitmap->scanline(5)[5], (Pixel{63, 0, 127, 255}));
}
