// The detail window on the headless desktop, end to end: placement, pictures, scrolling by
// dragging the graph, dragging the window with snapping, closing and showing again.
#include "gui/detail/DetailWindow.h"

#include "gui/detail/WindowManager.h"
#include "monitoring/ValueFormat.h"
#include "platform/headless/HeadlessDesktopScope.h"
#include "support/Failure.h"
#include "support/Golden.h"
#include "support/MonitorFixture.h"

#include "gtest/gtest.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

using namespace gui;
using platform::headless::MouseButton;

namespace {

const platform::Point icon{1700, 1060}; // a tray icon's anchor on the bottom taskbar

class DetailWindowTest : public ::testing::Test {
protected:
    std::shared_ptr<DetailWindow> detail(std::vector<test::GraphSpec> graphs, int width, int height,
                                         InspectorType inspector = InspectorType::Fixed) {
        monitor = test::makeMonitor(graphs, 300, 4, inspector, 300);
        auto window = std::make_shared<DetailWindow>(manager, monitor, width, height);
        window->build();
        monitor->detail.visibleCount = monitor->detail.graphs.front().view->getSize();
        return window;
    }

    platform::Rect rect(const DetailWindow& window) { return desktop.windowRect(window.hwnd); }

    // A point in the window's client area, on the screen.
    platform::Point at(const DetailWindow& window, int x, int y) {
        platform::Rect r = rect(window);
        return {r.left + x, r.top + y};
    }

    // Each step is handled before the next, as a hand on a mouse is slower than the window.
    void drag(platform::Point from, platform::Point to, MouseButton button = MouseButton::Left) {
        desktop.moveMouse(from);
        desktop.pump();
        desktop.pressButton(button);
        desktop.pump();
        desktop.moveMouse(to);
        desktop.pump();
        desktop.releaseButton(button);
        desktop.pump();
    }

    void expectPicture(const std::string& name, const DetailWindow& window) {
        desktop.pump();
        test::checkGolden(name, desktop.presentedPixels(window.hwnd));
    }

    platform::headless::HeadlessDesktopScope scope;
    platform::headless::HeadlessDesktop& desktop = scope.desktop;
    std::shared_ptr<WindowManager> manager = std::make_shared<WindowManager>();
    std::shared_ptr<MonitorConfiguration> monitor;
};

TEST_F(DetailWindowTest, APreviewSitsAboveTheTaskbarCentredOnTheIcon) {
    auto single = detail({test::threeGraphs()[0]}, 300, 100);
    single->show(icon.x, icon.y, false);
    EXPECT_EQ(rect(*single), (platform::Rect{icon.x - 158, 1040 - 8 - 164, icon.x + 158, 1032}));
    EXPECT_EQ(desktop.clientRect(single->hwnd), (platform::Rect{0, 0, 316, 164}));
    EXPECT_EQ(single->graph()->getBounds(), (Rect{8, 56, 300, 100}));
    EXPECT_TRUE(desktop.isVisible(single->hwnd));
    single->hidePreview();
    EXPECT_FALSE(desktop.isVisible(single->hwnd));
    EXPECT_FALSE(single->isRunning());

    auto three = detail(test::threeGraphs(), 480, 81);
    three->show(1900, icon.y, false);
    EXPECT_EQ(three->graph()->getMargins().top, 96);
    EXPECT_EQ(three->rows()[2]->name().getBounds().y, 68);
    EXPECT_EQ(rect(*three).right, 1912) << "kept on the screen, 8 pixels from its edge";
}

// Whatever edge the taskbar is on and however small the panel, the window stays centred on the
// icon as far as the monitor's work area allows, 8 pixels inside it.
TEST_F(DetailWindowTest, APreviewStaysInsideTheWorkAreaOfTheIconsMonitor) {
    auto window = detail({test::threeGraphs()[0]}, 300, 100); // 316 x 164 outside
    auto placedAt = [&](platform::Point anchor) {
        window->show(anchor.x, anchor.y, false);
        return rect(*window);
    };
    desktop.setTaskbar(platform::Taskbar{{600, 1048, 680, 1080}, ABE_BOTTOM}); // sized to its icon
    EXPECT_EQ(placedAt({640, 1064}), (platform::Rect{482, 876, 798, 1040}));
    desktop.setTaskbar(platform::Taskbar{{0, 1048, 80, 1080}, ABE_BOTTOM});
    EXPECT_EQ(placedAt({20, 1064}).left, 8) << "never off the screen's left end";

    desktop.setTaskbar(platform::Taskbar{{0, 0, 60, 1080}, ABE_LEFT});
    EXPECT_EQ(placedAt({30, 1070}), (platform::Rect{68, 908, 384, 1072}));
    EXPECT_EQ(placedAt({30, 10}).top, 8);
    desktop.setTaskbar(platform::Taskbar{{0, 0, 1920, 40}, ABE_TOP});
    EXPECT_EQ(placedAt({1900, 20}), (platform::Rect{1596, 48, 1912, 212}));

    // A monitor left of the primary one, which holds the taskbar: the work area is all of it.
    desktop.setMonitors({{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}});
    desktop.setTaskbar(platform::Taskbar{{0, 1040, 1920, 1080}, ABE_BOTTOM});
    EXPECT_EQ(placedAt({-1270, 1060}), (platform::Rect{-1272, 868, -956, 1032}));
}

// Bars docked beside the taskbar take their part of the monitor too, and a window for an icon in
// the flyout of hidden icons, above the taskbar, keeps clear of the icon.
TEST_F(DetailWindowTest, APreviewKeepsOutOfOtherBarsAndClearOfItsIcon) {
    auto window = detail({test::threeGraphs()[0]}, 300, 100); // 316 x 164 outside
    desktop.setWorkAreas({{0, 0, 1800, 1040}});               // a bar at the right edge
    window->show(1850, 1060, false);
    EXPECT_EQ(rect(*window), (platform::Rect{1476, 868, 1792, 1032}));

    window->show(1600, 980, false, platform::Rect{1588, 968, 1612, 992});
    EXPECT_EQ(rect(*window), (platform::Rect{1442, 796, 1758, 960}));
    window->show(1600, 1060, false, platform::Rect{1588, 1048, 1612, 1072});
    EXPECT_EQ(rect(*window).bottom, 1032) << "an icon on the taskbar is clear already";
}

TEST_F(DetailWindowTest, PreviewAndPinnedWindowsLookAsTheyShould) {
    auto window = detail(test::threeGraphs(), 480, 81);
    window->show(icon.x, icon.y, false);
    expectPicture("detail-preview", *window);
    EXPECT_EQ(window->rows()[0]->name().text, "Processor");
    EXPECT_EQ(desktop.sendMessage(window->hwnd, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE)
        << "a click on a preview leaves the keyboard where it was";
    EXPECT_EQ(desktop.description(window->hwnd),
              (platform::WindowDescription{"PakVue details: Processor, Memory, Network",
                                           platform::WindowRole::Preview}));
    window->show(icon.x, icon.y, true);
    expectPicture("detail-pinned", *window);
    EXPECT_NE(desktop.sendMessage(window->hwnd, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    EXPECT_EQ(desktop.description(window->hwnd).role, platform::WindowRole::Pinned);
}

// At 150 % every measure is half as large again: 744 x 278 instead of 496 x 185, a 720 x 122
// graph, 30-pixel rows, 12-pixel margins, fonts and the close button at their scaled sizes.
TEST_F(DetailWindowTest, AtOneAndAHalfTimesTheScaleItIsHalfAsLargeAgainEachWay) {
    desktop.setDpi(144);
    auto window = detail(test::threeGraphs(), 480, 81);
    window->show(1000, icon.y, false);
    EXPECT_EQ(rect(*window), (platform::Rect{1000 - 372, 1040 - 12 - 278, 1000 + 372, 1028}));
    EXPECT_EQ(window->graph()->getBounds(), (Rect{12, 144, 720, 122}));
    EXPECT_EQ(window->rows()[2]->name().getBounds(), (Rect{12, 102, 744 - 462 - 12, 30}));
    EXPECT_EQ(window->rows()[2]->value(2).getBounds(), (Rect{744 - 462 + 300, 102, 150, 30}));
    EXPECT_EQ(monitor->detail.step, 6u) << "the samples keep their spacing on the screen";
    expectPicture("detail-preview-150", *window);
    window->show(1000, icon.y, true);
    expectPicture("detail-pinned-150", *window);
    desktop.moveMouse(at(*window, 12 + 450, 144 + 60));
    expectPicture("detail-inspector-fixed-150", *window);
}

TEST_F(DetailWindowTest, ANewScaleLaysTheShownWindowOutAgainWhereTheDesktopSuggests) {
    auto window = detail(test::threeGraphs(), 480, 81);
    window->show(icon.x, icon.y, false);
    platform::Rect before = rect(*window);
    desktop.setDpi(144);
    EXPECT_EQ(rect(*window),
              (platform::Rect{before.left, before.top, before.left + 744, before.top + 278}));
    expectPicture("detail-preview-150", *window);
    desktop.setDpi(96);
    EXPECT_EQ(rect(*window), before);
    expectPicture("detail-preview", *window);
    EXPECT_EQ(monitor->detail.step, 4u);
}

TEST_F(DetailWindowTest, EachInspectorReadsTheGraphUnderTheMouse) {
    const std::pair<InspectorType, const char*> kinds[] = {
        {InspectorType::Fixed, "detail-inspector-fixed"},
        {InspectorType::Floating, "detail-inspector-floating"},
        {InspectorType::Free, "detail-inspector-free"}};
    for (const auto& [kind, picture] : kinds) {
        auto window = detail(test::threeGraphs(), 480, 81, kind);
        window->show(icon.x, icon.y, false);
        desktop.moveMouse(at(*window, 8 + 300, 56 + 40));
        expectPicture(picture, *window);
        window->hidePreview();
    }
}

TEST_F(DetailWindowTest, DraggingTheGraphScrollsTheHistoryAndTheLegendFollows) {
    auto window = detail(test::threeGraphs(), 480, 81);
    window->show(icon.x, icon.y, false);
    std::string newest = window->rows()[0]->value(0).text;
    platform::Point grab = at(*window, 8 + 200, 56 + 40);
    drag(grab, {grab.x + 60, grab.y});
    EXPECT_EQ(monitor->detail.scrollOffset, 60);
    const auto& view = *monitor->detail.graphs[0].view;
    EXPECT_EQ(view.getOffset(), 60);
    EXPECT_EQ(window->rows()[0]->value(0).text,
              util::system::monitoring::formatValue(view.getLast(), Units::Percentage));
    EXPECT_NE(window->rows()[0]->value(0).text, newest);
    expectPicture("detail-scrolled", *window);

    drag(at(*window, 8 + 400, 56 + 40), at(*window, 8 + 10, 56 + 40));
    EXPECT_EQ(monitor->detail.scrollOffset, 0) << "clamped at the newest samples";
}

TEST_F(DetailWindowTest, APinnedWindowDragsAndSnapsToTheMonitorEdge) {
    auto window = detail(test::threeGraphs(), 480, 81);
    window->show(icon.x, icon.y, true);
    platform::Rect start = rect(*window);
    platform::Point background = at(*window, 4, 40);
    drag(background, {background.x + 5 - start.left, background.y - 100});
    EXPECT_EQ(rect(*window).left, 0) << "5 pixels from the edge snaps";
    EXPECT_EQ(rect(*window).top, start.top - 100);

    platform::Point label = at(*window, 20, 35); // the first legend row's name
    drag(label, {label.x + 16, label.y});
    EXPECT_EQ(rect(*window).left, 16) << "16 pixels away does not snap; labels drag too";

    platform::Rect before = rect(*window);
    drag(at(*window, 4, 40), {400, 400}, MouseButton::Right);
    EXPECT_EQ(rect(*window), before) << "the right button does not drag";
}

TEST_F(DetailWindowTest, TheCloseButtonHidesAndTheNextHoverShowsAtTheIcon) {
    auto window = detail(test::threeGraphs(), 480, 81);
    window->show(icon.x, icon.y, false);
    platform::Rect preview = rect(*window);
    window->show(icon.x, icon.y, true);
    window->hidePreview();
    EXPECT_TRUE(desktop.isVisible(window->hwnd)) << "a pinned window stays when the mouse leaves";
    platform::Point background = at(*window, 4, 40);
    drag(background, {background.x - 300, background.y - 300});
    platform::Point close = at(*window, 16, 16);
    desktop.moveMouse(close);
    desktop.pressButton(MouseButton::Left);
    desktop.releaseButton(MouseButton::Left);
    desktop.pump();
    EXPECT_FALSE(desktop.isVisible(window->hwnd));
    EXPECT_FALSE(window->isPinned());
    EXPECT_FALSE(window->isRunning());
    window->show(icon.x, icon.y, false);
    EXPECT_EQ(rect(*window), preview);
    // A hidden window let its pictures go: every one is drawn again.
    expectPicture("detail-preview", *window);
}

TEST_F(DetailWindowTest, QuickShowsHidesAndClosesLeaveOneConsistentState) {
    auto window = detail(test::threeGraphs(), 480, 81);
    auto registered = [&] {
        return test::failure([&] { manager->place(window.get(), 0, 0, 1, 1); }) ==
               "(nothing thrown)";
    };
    auto expectShown = [&](bool shown) {
        EXPECT_EQ(desktop.isVisible(window->hwnd), shown);
        EXPECT_EQ(window->isRunning(), shown);
        EXPECT_EQ(registered(), shown);
    };
    MouseClickArgs click;
    for (int i = 0; i < 20; ++i) {
        window->show(icon.x, icon.y, false);
        expectShown(true);
        window->hidePreview();
        expectShown(false);
        window->show(icon.x, icon.y, true);
        window->show(icon.x, icon.y, false);
        window->hidePreview();
        expectShown(true);
        window->closeClicked(click);
        expectShown(false);
        desktop.pump();
    }
}

TEST_F(DetailWindowTest, LegendUpdatesInsideAScrolledFrameNeverDeadlockWithSampling) {
    auto window = detail(test::threeGraphs(), 480, 81);
    for (GraphConfiguration& graph : monitor->detail.graphs)
        monitor->detail.scrollOffset = graph.view->setOffset(100);
    std::atomic<bool> done{false};
    std::thread sampling([&] {
        while (!done)
            monitor->dataSet->update();
    });
    auto frames = std::async(std::launch::async, [&] {
        for (int i = 0; i < 300; ++i) {
            std::lock_guard lock(window->treeMutex());
            window->graph()->renderGraph(true); // scrolls the views, which update the legend
        }
    });
    bool finished = frames.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    done = true;
    if (!finished) {
        std::fputs("a frame and the sampling pass deadlocked\n", stderr);
        std::abort();
    }
    sampling.join();
    EXPECT_GT(monitor->detail.scrollOffset, 100);
}

} // namespace
