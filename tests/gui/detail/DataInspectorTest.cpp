#include "gui/detail/DataInspectorFixed.h"
#include "gui/detail/DataInspectorFloating.h"
#include "gui/detail/DataInspectorFree.h"
#include "support/MonitorFixture.h"

#include "gtest/gtest.h"

using namespace gui;

namespace {

constexpr int width = 480;
constexpr int height = 81;

// Graphs of constant values on a 480 x 81 frame with a step of 4: the newest column sits at
// x = 480 and the marker for a mouse at x lies on 4 * round((x - 4) / 4).
struct Inspected {
    explicit Inspected(std::vector<double> values) {
        std::vector<test::GraphSpec> specs;
        for (double value : values)
            specs.push_back({"graph",
                             Units::Percentage,
                             [value](int) { return value; },
                             {{0, Colour(0, 255, 0, 255)}}});
        monitor = test::makeMonitor(specs, 200, 4, InspectorType::Fixed, 200);
        for (GraphConfiguration& graph : monitor->detail.graphs)
            graph.view->setSize(122);
        monitor->detail.computedMaximum = 200.0; // a percentage graph still reads against 100
    }

    template <typename Kind>
    Kind inspect(int mouseX) {
        Kind inspector(bitmap, monitor);
        inspector.update(mouseX);
        inspector.beforePaint(target);
        return inspector;
    }

    std::shared_ptr<MonitorConfiguration> monitor;
    std::shared_ptr<Bitmap<Pixel>> bitmap =
        std::make_shared<Bitmap<Pixel>>(width, height, Pixel{0, 0, 0, 255});
    Bitmap<Pixel> target{width, height};
};

TEST(BoxSlots, OverlapsSpreadAroundTheirCentreAndStayInside) {
    std::vector<BoxSlot> same{{38, 62}, {38, 62}};
    relaxSlots(same, height);
    EXPECT_EQ(same[0].start, 26);
    EXPECT_EQ(same[1].start, 50);
    std::vector<BoxSlot> edges{{-7, 17}, {70, 94}};
    relaxSlots(edges, height);
    EXPECT_EQ(edges[0].start, 0);
    EXPECT_EQ(edges[1].end, height);
}

TEST(DataInspector, PercentageGraphsReadAgainstAHundredAndEqualValuesStack) {
    Inspected one({50.0});
    auto fixed = one.inspect<DataInspectorFixed>(200);
    EXPECT_EQ(fixed.marker(), 196);
    EXPECT_EQ(fixed.boxes()[0].text, "50.0 %");
    EXPECT_GT(one.bitmap->scanline(40)[196 - 4].red, 0) << "the square's left edge, at 50 of 100";
    EXPECT_EQ(one.bitmap->scanline(60)[196 - 4].red, 0) << "not at 50 of 200";

    Inspected two({50.0, 50.0});
    auto floating = two.inspect<DataInspectorFloating>(200);
    EXPECT_EQ(floating.boxes()[0].box.y, 18);
    EXPECT_EQ(floating.boxes()[1].box.y, 42) << "24 apart, centred on the value's row 40";
}

TEST(DataInspector, BoxesMoveAwayFromTheEdgeTheMarkerIsNear) {
    Inspected values({50.0});
    EXPECT_EQ(values.inspect<DataInspectorFloating>(200).boxes()[0].side, 0);
    auto right = values.inspect<DataInspectorFloating>(460);
    EXPECT_EQ(right.boxes()[0].side, 1);
    EXPECT_LT(right.boxes()[0].box.x + right.boxes()[0].box.width, right.marker());

    EXPECT_EQ(values.inspect<DataInspectorFixed>(200).boxes()[0].box.x, 4);
    auto fixedNear = values.inspect<DataInspectorFixed>(50);
    EXPECT_EQ(fixedNear.boxes()[0].box.x, fixedNear.marker() + 8);
    EXPECT_EQ(fixedNear.boxes()[0].box.y, 4);

    auto freeFar = values.inspect<DataInspectorFree>(300);
    EXPECT_EQ(freeFar.boxes()[0].box.x + freeFar.boxes()[0].box.width, freeFar.marker() - 20);
    auto freeNear = values.inspect<DataInspectorFree>(20);
    EXPECT_EQ(freeNear.boxes()[0].side, 1);
    EXPECT_EQ(freeNear.boxes()[0].box.x, freeNear.marker() + 20);
}

TEST(DataInspector, NothingIsShownPastTheNewestColumn) {
    Inspected values({50.0});
    Bitmap<Pixel> before = values.target;
    auto past = values.inspect<DataInspectorFree>(490);
    EXPECT_GT(past.marker(), width);
    EXPECT_TRUE(past.boxes()[0].text.empty());
    EXPECT_EQ(values.target.pixels(), before.pixels());
}

} // namespace
