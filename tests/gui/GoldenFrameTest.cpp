// Frames of each rendering method and fill mode on fixed samples, compared pixel for pixel with
// the pictures under tests/data/golden. PAKVUE_UPDATE_GOLDEN=1 writes the pictures instead;
// only do that on purpose, after looking at what changed.

#include "gui/BarRenderingMethod.h"
#include "gui/DataSet.h"
#include "gui/FrameRenderer.h"
#include "gui/LineRenderingMethod.h"
#include "support/Golden.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

struct Case {
    const char* name;
    bool bars;
    FillMode fill;
};

const Case cases[] = {{"line-gradient", false, FillMode::Gradient},
                      {"line-flat", false, FillMode::Flat},
                      {"line-none", false, FillMode::None},
                      {"bar", true, FillMode::None}};

// A rise, a plateau above the gauge, a fall and a spike: every kind of segment.
double sample(int i) {
    const int phase = i % 40;
    if (phase < 10)
        return phase * 9.0;
    if (phase < 20)
        return 85.0;
    return phase == 30 ? 100.0 : (40 - phase) * 4.0;
}

DisplayConfiguration displayFor(const Case& c, std::uint32_t step, int samples) {
    auto buffer = std::make_shared<util::system::monitoring::DataBuffer>(Units::Percentage, 200);
    for (int i = 0; i < 200; ++i)
        buffer->push(sample(i));
    GraphConfiguration graph;
    graph.buffer = buffer;
    graph.view = buffer->createView(0, samples);
    graph.renderingMethod =
        c.bars ? std::shared_ptr<RenderingMethod>(std::make_shared<BarRenderingMethod>())
               : std::make_shared<LineRenderingMethod>();
    graph.colours = std::make_shared<ColourConfiguration>(std::vector<ColourConfiguration::Stop>{
        {0, Colour("00ff00")}, {50, Colour("ffff00")}, {100, Colour("ff0000")}});
    graph.fillMode = c.fill;
    DisplayConfiguration display;
    display.step = step;
    display.background = Colour("0000007f");
    display.gaugeLines = {{50, Colour("#ffffff80"), 3}};
    display.graphs = {graph};
    return display;
}

// Draws every case at the given size and compares it with the picture "<prefix>-<case>".
void checkAllCases(const std::string& prefix, int width, int height, std::uint32_t step,
                   int samples) {
    const auto dataSet = std::make_shared<DataSet>(Collectors{});
    for (const Case& c : cases) {
        auto display = displayFor(c, step, samples);
        Bitmap<Pixel> frame(width, height);
        drawFrame(frame, display, *dataSet);
        test::checkGolden(prefix + "-" + c.name, frame);
    }
}

} // namespace

TEST(GoldenFrame, TrayFramesMatchTheirPictures) {
    checkAllCases("tray", 16, 16, 2, 10);
}

TEST(GoldenFrame, LargerTrayFramesStayIconsAndFillTheirWidth) {
    checkAllCases("tray24", 24, 24, 2, 14);
}

TEST(GoldenFrame, DetailFramesMatchTheirPictures) {
    checkAllCases("detail", 480, 81, 4, 122);
}
