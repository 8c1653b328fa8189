#include "gui/detail/WindowManager.h"

#include "gui/Window.h"
#include "platform/headless/HeadlessDesktopScope.h"
#include "support/Failure.h"

#include "gtest/gtest.h"

using gui::Rect;

namespace {

class WindowManagerTest : public ::testing::Test {
protected:
    std::shared_ptr<Window> window(platform::Rect bounds) {
        auto made = std::make_shared<Window>();
        made->create();
        scope.desktop.moveWindow(made->hwnd, bounds, false);
        windows_.push_back(made);
        return made;
    }

    platform::headless::HeadlessDesktopScope scope;
    gui::WindowManager manager;
    std::vector<std::shared_ptr<Window>> windows_;
};

TEST_F(WindowManagerTest, EdgesSnapToMonitorsWithinSixteenPixels) {
    auto moving = window({100, 100, 400, 300});
    EXPECT_TRUE(manager.registerWindow(moving.get()));
    EXPECT_FALSE(manager.registerWindow(moving.get()));
    EXPECT_FALSE(manager.registerWindow(nullptr));
    EXPECT_FLOAT_EQ(gui::snapWeight(0, 5), 0.6875f);
    EXPECT_EQ(manager.place(moving.get(), 5, 500, 300, 200), (Rect{0, 500, 300, 200}));
    EXPECT_EQ(manager.place(moving.get(), 16, 500, 300, 200), (Rect{16, 500, 300, 200}));
    EXPECT_EQ(manager.place(moving.get(), 1610, 870, 300, 200), (Rect{1620, 880, 300, 200}))
        << "right and bottom edges snap too";
    EXPECT_EQ(manager.place(moving.get(), 500, 3, 300, 1065), (Rect{500, 0, 300, 1065}))
        << "the top edge 3 away beats the bottom edge 12 away";
}

TEST_F(WindowManagerTest, WindowsSnapToEachOtherWhenTheyOverlap) {
    scope.desktop.setMonitors({});
    auto still = window({400, 400, 600, 500});
    auto moving = window({0, 0, 100, 100});
    manager.registerWindow(still.get());
    manager.registerWindow(moving.get());
    EXPECT_EQ(manager.place(moving.get(), 610, 420, 100, 100), (Rect{600, 420, 100, 100}));
    EXPECT_EQ(manager.place(moving.get(), 610, 700, 100, 100), (Rect{610, 700, 100, 100}))
        << "no vertical overlap, no snap";
    EXPECT_TRUE(manager.unregisterWindow(still.get()));
    EXPECT_FALSE(manager.unregisterWindow(still.get()));
    EXPECT_EQ(manager.place(moving.get(), 610, 420, 100, 100), (Rect{610, 420, 100, 100}))
        << "with no monitors and no other windows the proposal stands";
}

TEST_F(WindowManagerTest, UnknownWindowsAndAMissingTaskbarFailWithTheirTexts) {
    auto stranger = window({0, 0, 10, 10});
    EXPECT_EQ(test::failure([&] { manager.place(stranger.get(), 0, 0, 1, 1); }),
              "window is unknown to manager.");
    scope.desktop.setTaskbar(std::nullopt);
    EXPECT_EQ(test::failure([] { gui::WindowManager::getTaskbarPosition(); }),
              "SHAppBarMessage() failed. unable to determine the location of the taskbar.");
}

} // namespace
