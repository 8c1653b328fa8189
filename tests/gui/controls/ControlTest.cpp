#include "gui/controls/ClientArea.h"

#include "gtest/gtest.h"
#include <string>

using namespace gui;

namespace {

std::shared_ptr<Control> child(std::int32_t alignment, Rect bounds, std::int32_t depth = 0) {
    auto control = std::make_shared<Control>();
    control->setBounds(bounds);
    control->setDepth(depth);
    control->setAlignment(alignment);
    return control;
}

std::shared_ptr<ClientArea> root(std::int32_t width, std::int32_t height) {
    auto area = std::make_shared<ClientArea>();
    area->setBounds({0, 0, width, height});
    return area;
}

class CountingControl : public Control {
public:
    void onResized(const ResizeRecord&) override { ++resizes; }
    void paint(Bitmap<Pixel>& content, const Rect&) override {
        ++paints;
        content.scanline(0)[0] = Pixel{1, 2, 3, 255};
    }
    int resizes = 0;
    int paints = 0;
};

TEST(ControlLayout, DockedChildrenStackFromTheEdgesAndFillTakesTheRest) {
    auto area = root(200, 100);
    auto top = child(AlignTop, {0, 0, 0, 20});
    auto left = child(AlignLeft, {0, 0, 30, 0});
    auto fill = child(AlignFill, {});
    area->addChild(top);
    area->addChild(left);
    area->addChild(fill);
    EXPECT_EQ(fill->getBounds(), (Rect{30, 20, 170, 80}));
    EXPECT_EQ(top->getBounds(), (Rect{0, 0, 200, 20}));

    auto deeper = child(AlignTop, {0, 0, 0, 20}, 2);
    auto nearer = child(AlignTop, {0, 0, 0, 30}, 1);
    auto column = root(100, 100);
    column->addChild(deeper);
    column->addChild(nearer);
    EXPECT_EQ(nearer->getBounds().y, 0) << "lower depth sits nearer the edge";
    EXPECT_EQ(deeper->getBounds().y, 30);
}

TEST(ControlLayout, TopIgnoresOwnMarginsAndPaddingSetsEdges) {
    auto area = root(200, 100);
    area->setPadding(3, 7);
    EXPECT_EQ(area->getPadding(), (Edges{3, 3, 7, 7}));
    auto top = child(AlignTop, {0, 0, 0, 20});
    top->setMargins(5);
    area->addChild(top);
    EXPECT_EQ(top->getBounds(), (Rect{3, 7, 194, 20}));
    auto fill = child(AlignFill, {});
    fill->setMargins(5);
    area->addChild(fill);
    EXPECT_EQ(fill->getBounds(), (Rect{8, 7 + 30 + 5, 184, 100 - 14 - 30 - 10}));
}

TEST(ControlLayout, UnchangedBoundsNeitherInvalidateNorResize) {
    auto area = root(10, 10);
    auto control = std::make_shared<CountingControl>();
    control->setBounds({1, 2, 3, 4});
    area->addChild(control);
    Bitmap<Pixel> target(10, 10, Pixel{});
    area->render(nullptr, target, {0, 0, 10, 10});
    ASSERT_FALSE(control->isContentInvalid());
    int resizes = control->resizes;
    control->setBounds({1, 2, 3, 4});
    EXPECT_EQ(control->resizes, resizes);
    EXPECT_FALSE(control->isInvalid());
    control->setBounds({2, 2, 3, 4});
    EXPECT_TRUE(control->isInvalid());
    EXPECT_FALSE(control->isContentInvalid()) << "a move alone keeps the content";
    control->setBounds({2, 2, 5, 4});
    EXPECT_TRUE(control->isContentInvalid());
}

TEST(ControlDrawing, TransparentChildrenShowTheParentAndHiddenOnesAreNotDrawn) {
    auto area = root(6, 4);
    area->setBackground(Colour(10, 20, 30, 255));
    auto glass = child(AlignNone, {1, 1, 2, 2});
    glass->setBackground(Colour(0, 0, 0, 0));
    auto paint = std::make_shared<CountingControl>();
    paint->setBounds({3, 1, 2, 2});
    paint->setBackground(Colour(200, 100, 50, 255));
    area->addChild(glass);
    area->addChild(paint);
    Bitmap<Pixel> target(6, 4, Pixel{});
    area->render(nullptr, target, {0, 0, 6, 4});
    EXPECT_EQ(target.scanline(1)[1].red, 10) << "the glass shows the parent";
    EXPECT_EQ(target.scanline(1)[3].red, 1) << "the control's own paint";
    EXPECT_EQ(target.scanline(2)[4].red, 200) << "an opaque background is filled";

    area->setChildShown(false, paint);
    area->setChildShown(false, paint);
    EXPECT_EQ(area->childCount(), 2);
    area->render(nullptr, target, {0, 0, 6, 4});
    EXPECT_EQ(target.scanline(2)[4].red, 10);
    EXPECT_EQ(area->childAt(4, 2), nullptr);
    int paints = paint->paints;
    paint->setShown(true);
    area->render(nullptr, target, {0, 0, 6, 4});
    EXPECT_EQ(target.scanline(2)[4].red, 200);
    EXPECT_EQ(paint->paints, paints) << "unchanged content is copied, not painted again";
}

// A detail window's frame thread invalidates its graph, which invalidates the window above it.
// Had that walk taken a reference to the window, the frame thread could hold the last one when
// the owner lets go, and destroy the window on its own thread, in the middle of a frame.
class ReferenceCountingParent : public ClientArea {
public:
    void invalidate(bool self, bool propagate) override {
        referencesSeen = weak_from_this().use_count();
        ClientArea::invalidate(self, propagate);
    }
    long referencesSeen = 0;
};

TEST(ControlTree, WalkingUpTheTreeTakesNoReferenceToTheParentAndOutlivesIt) {
    auto parent = std::make_shared<ReferenceCountingParent>();
    auto graph = std::make_shared<CountingControl>();
    parent->addChild(graph);
    graph->invalidateContent(true, true);
    EXPECT_EQ(parent->referencesSeen, 1); // only the owner's
    parent.reset();
    EXPECT_EQ(graph->getParent(), nullptr); // still held here, no longer anyone's child
    graph->invalidateContent(true, true);
}

class ScaleCountingControl : public Control {
public:
    int changes = 0;

protected:
    void scaleChanged() override { ++changes; }
};

TEST(ControlTree, TheScaleReachesEveryControlOnceWhereverItJoins) {
    auto area = root(100, 100);
    auto early = std::make_shared<ScaleCountingControl>();
    auto grandchild = std::make_shared<ScaleCountingControl>();
    early->addChild(grandchild);
    area->addChild(early);
    area->setScale(platform::Scale(144));
    area->setScale(platform::Scale(144));
    EXPECT_EQ(early->changes, 1) << "the same scale again changes nothing";
    EXPECT_EQ(grandchild->scale(), platform::Scale(144));
    EXPECT_EQ(grandchild->changes, 1);
    auto late = std::make_shared<ScaleCountingControl>();
    area->addChild(late);
    EXPECT_EQ(late->scale(), platform::Scale(144)) << "a child added later takes its parent's";
    EXPECT_EQ(late->changes, 1);
}

TEST(ControlMouse, EventsGoToTheLowestDepthChildAndFallBackToTheParent) {
    auto area = root(100, 100);
    auto under = child(AlignNone, {0, 0, 50, 50}, 5);
    auto over = child(AlignNone, {10, 10, 50, 50}, 1);
    area->addChild(under);
    area->addChild(over);
    MouseClickArgs args;
    args.x = 20;
    args.y = 30;
    EXPECT_EQ(area->onMouseDown(args), nullptr) << "nobody handles it";

    std::string seen;
    over->events.mouseDown = [&](MouseClickArgs& a) {
        seen = "over " + std::to_string(a.x) + "," + std::to_string(a.y);
        return true;
    };
    EXPECT_EQ(area->onMouseDown(args), over);
    EXPECT_EQ(seen, "over 10,20") << "coordinates are rebased to the receiver";

    over->events.mouseDown = [](MouseClickArgs&) { return false; };
    area->events.mouseDown = [&](MouseClickArgs&) { return true; };
    args.x = 20;
    args.y = 30;
    EXPECT_EQ(area->onMouseDown(args), area) << "an ignored event falls back to the parent";

    area->previewButtons = true;
    area->events.mouseDown = [](MouseClickArgs&) { return true; };
    EXPECT_EQ(area->onMouseDown(args), area);

    MouseTrackingArgs tracking;
    EXPECT_EQ(over->onMouseEnter(tracking), nullptr);
    EXPECT_TRUE(over->isHovered());
}

// A failed comparison shows the geometry, not its bytes.
TEST(ControlGeometry, PrintsAsItsFields) {
    EXPECT_EQ(testing::PrintToString(Rect{1, -2, 3, 4}), "{x 1, y -2, width 3, height 4}");
    EXPECT_EQ(testing::PrintToString(gui::Point{-5, 6}), "(-5, 6)");
}

} // namespace
