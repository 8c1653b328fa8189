#include "gui/DataSet.h"
#include "gui/tray/AnimatedGraphTrayIcon.h"
#include "monitoring/WmiDataCollector.h"
#include "platform/headless/HeadlessDesktopScope.h"
#include "support/MonitorFixture.h"

#include "gtest/gtest.h"

using namespace gui;

namespace {

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() { owner = scope.desktop.createWindow(messageWindow()); }

    platform::WindowCreation messageWindow() {
        scope.desktop.registerClass({0, &procedure, 0, 0, "owner"});
        platform::WindowCreation creation;
        creation.className = "owner";
        creation.messageOnly = true;
        return creation;
    }
    static platform::LResult procedure(platform::WindowHandle window, std::uint32_t message,
                                       platform::WParam wParam, platform::LParam lParam) {
        return platform::desktop().defaultProcedure(window, message, wParam, lParam);
    }

    platform::headless::HeadlessDesktopScope scope;
    platform::WindowHandle owner = nullptr;
};

TEST_F(TrayIconTest, IdentifiersCountOnAndIconsStartTransparent) {
    std::uint32_t first = 0;
    {
        AnimatedTrayIcon icon(owner, "PakVue", 1000, [] { return Frame(); });
        first = icon.identifier();
        auto shown = scope.desktop.trayIcon(first);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->callbackMessage, first) << "the identifier is the call-back message";
        EXPECT_EQ(shown->tip, "PakVue");
        for (const Pixel& pixel : shown->picture.pixels())
            EXPECT_EQ(pixel.alpha, 0);
        icon.onFrame(Frame());
        EXPECT_EQ(scope.desktop.trayIcon(first)->pictures, shown->pictures)
            << "an empty frame changes nothing";
    }
    EXPECT_FALSE(scope.desktop.trayIcon(first)) << "destruction removes the icon";
    AnimatedTrayIcon next(owner, "PakVue", 1000, [] { return Frame(); });
    EXPECT_EQ(next.identifier(), first + 1) << "also after the first one is gone";
}

TEST_F(TrayIconTest, AGraphIconDrawsEachFrameIntoOneBitmapAndShowsIt) {
    auto dataSet = std::make_shared<DataSet>(Collectors{});
    DisplayConfiguration display;
    display.updateInterval = 20;
    display.background = Colour(10, 20, 30, 255);
    AnimatedGraphTrayIcon icon(owner, display, dataSet, [] { return Frame(); });
    Frame first = icon.renderFrame();
    Frame second = icon.renderFrame();
    EXPECT_EQ(first, second);
    ASSERT_EQ(first->width(), 16);
    EXPECT_EQ(first->scanline(8)[8].red, 10);
    EXPECT_EQ(first->scanline(0)[0].alpha, 127) << "rounded corners";
    icon.onFrame(first);
    EXPECT_EQ(scope.desktop.trayIcon(icon.identifier())->picture.scanline(8)[8].blue, 30);
}

// The desktop lists icons by their tip: it names what the icon draws, and a tip longer than the
// notification area shows is cut between characters, never inside one.
TEST_F(TrayIconTest, TheTipNamesTheGraphsAndIsCutBetweenCharacters) {
    auto graph = [](const std::string& name) {
        GraphConfiguration graph;
        graph.collector =
            std::make_shared<util::system::monitoring::MemoryDataCollector>(Units::None, name);
        return graph;
    };
    DisplayConfiguration display;
    display.updateInterval = 1000;
    EXPECT_EQ(displayTitle(display), "PakVue");
    display.graphs = {graph("Processor"), graph(""), graph("Processor, system")};
    EXPECT_EQ(displayTitle(display), "PakVue: Processor, Processor, system");

    std::string accents;
    for (int i = 0; i < 70; ++i)
        accents += "\xc3\xa9"; // two bytes each
    display.graphs = {graph(accents)};
    AnimatedGraphTrayIcon icon(owner, display, std::make_shared<DataSet>(Collectors{}),
                               [] { return Frame(); });
    std::string tip = scope.desktop.trayIcon(icon.identifier())->tip;
    EXPECT_EQ(tip, "PakVue: " + accents.substr(0, 118)) << "119 bytes would split a character";
}

// StatusNotifierItem hosts show each graph's last value in its own units.
TEST_F(TrayIconTest, TheValueTipGivesEachGraphsLastValueInItsUnits) {
    const auto monitor =
        test::makeMonitor({{"GPU", Units::Temperature, [](int) { return 46.7; }, {}},
                           {"Disk", Units::Rate, [](int) { return 1536.0; }, {}}},
                          10, 1, InspectorType::Fixed, 2);
    EXPECT_EQ(valueTip(monitor->detail), "GPU: 47 \xc2\xb0" + std::string("C\nDisk: 1.5 KiB/s"));
}

// At 150 % the notification area shows 24-pixel pictures: the graph fills all 24 columns with
// one sample per column, as configured, and the frame is made anew only when the size changes.
TEST_F(TrayIconTest, AGraphIconDrawsAtTheSizeTheTrayShowsAndCoversIt) {
    auto monitor = test::makeMonitor({test::threeGraphs()[0]}, 100, 1, InspectorType::Fixed, 100);
    DisplayConfiguration display = monitor->detail;
    AnimatedGraphTrayIcon icon(owner, display, monitor->dataSet, [] { return Frame(); });
    scope.desktop.setDpi(144);
    Frame frame = icon.renderFrame();
    ASSERT_EQ(frame->width(), 24);
    ASSERT_EQ(frame->height(), 24);
    EXPECT_EQ(display.graphs[0].view->getSize(), 26) << "24 columns at a step of 1, and 2";
    for (int x = 0; x < 24; ++x) {
        bool drawn = false;
        for (int y = 0; y < 24; ++y)
            drawn = drawn || frame->scanline(y)[x].red > 0 || frame->scanline(y)[x].green > 0;
        EXPECT_TRUE(drawn) << "column " << x << " shows no graph";
    }
    EXPECT_EQ(frame->scanline(23)[23].alpha, 127) << "still an icon: rounded, no grid";
    const Pixel* storage = frame->scanline(0);
    EXPECT_EQ(icon.renderFrame()->scanline(0), storage) << "the same size keeps the same pixels";
    icon.onFrame(frame);
    EXPECT_EQ(scope.desktop.trayIcon(icon.identifier())->picture.width(), 24);
    scope.desktop.setDpi(96);
    EXPECT_EQ(icon.renderFrame()->width(), 16);
    EXPECT_EQ(display.graphs[0].view->getSize(), 18);
}

} // namespace

// A tray that takes a smaller picture beside the main one gets both in one call, each drawn at
// its own size with the graphs refitted to it: the pictures icons drawn at one size each show.
TEST_F(TrayIconTest, ASmallerPictureIsDrawnAtItsOwnSizeBesideTheMainOne) {
    const auto alone = [&](int dpi) {
        auto monitor =
            test::makeMonitor({test::threeGraphs()[0]}, 100, 1, InspectorType::Fixed, 60);
        AnimatedGraphTrayIcon icon(owner, monitor->detail, monitor->dataSet,
                                   [] { return Frame(); });
        scope.desktop.setDpi(dpi);
        return *icon.renderFrame();
    };
    const Bitmap<Pixel> sixteen = alone(96);
    const Bitmap<Pixel> thirtyTwo = alone(192);
    ASSERT_EQ(thirtyTwo.width(), 32);
    ASSERT_NE(sixteen.scanline(8)[2], sixteen.scanline(8)[13]) << "a graph, not a plain square";

    scope.desktop.setTraySmallPictureSize(16);
    auto monitor = test::makeMonitor({test::threeGraphs()[0]}, 100, 1, InspectorType::Fixed, 60);
    AnimatedGraphTrayIcon icon(owner, monitor->detail, monitor->dataSet, [] { return Frame(); });
    for (int frame = 0; frame < 2; ++frame) { // the views are refitted for each size every time
        icon.onFrame(icon.renderFrame());
        const auto shown = scope.desktop.trayIcon(icon.identifier());
        ASSERT_TRUE(shown);
        EXPECT_TRUE(shown->picture.pixels() == thirtyTwo.pixels()) << "frame " << frame;
        EXPECT_TRUE(shown->smallPicture.pixels() == sixteen.pixels()) << "frame " << frame;
    }
}
