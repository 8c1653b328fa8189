#include "gui/Window.h"

#include "platform/headless/HeadlessDesktopScope.h"

#include "gtest/gtest.h"
#include <string>
#include <vector>

using namespace gui;
using platform::headless::MouseButton;

namespace {

// A control that writes down what happens to it.
class Recorder : public Control {
public:
    explicit Recorder(std::vector<std::string>& log, std::string name) {
        events.mouseEnter = [&log, name](MouseTrackingArgs&) {
            log.push_back(name + " enter");
            return false;
        };
        events.mouseLeave = [&log, name](MouseTrackingArgs&) {
            log.push_back(name + " leave");
            return false;
        };
        events.mouseDown = [&log, name](MouseClickArgs&) {
            log.push_back(name + " down");
            return true;
        };
        events.mouseUp = [](MouseClickArgs&) { return true; };
        events.click = [&log, name](MouseClickArgs&) {
            log.push_back(name + " click");
            return true;
        };
        events.mouseMove = [&log, name](unsigned x, unsigned) {
            log.push_back(name + " move " + std::to_string(static_cast<int>(x)));
            return true;
        };
    }
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        window->create();
        window->initialise();
        desktop.moveWindow(window->hwnd, {100, 100, 300, 200}, true);
        window->setBackground(Colour(0, 0, 0, 255));
        left->setBounds({10, 10, 50, 50});
        right->setBounds({100, 10, 50, 50});
        window->addChild(left);
        window->addChild(right);
        window->show();
        desktop.pump();
        log.clear();
    }

    void at(int x, int y) {
        desktop.moveMouse({100 + x, 100 + y});
        desktop.pump();
    }
    void press(MouseButton button = MouseButton::Left) {
        desktop.pressButton(button);
        desktop.pump();
    }
    void release(MouseButton button = MouseButton::Left) {
        desktop.releaseButton(button);
        desktop.pump();
    }

    platform::headless::HeadlessDesktopScope scope;
    platform::headless::HeadlessDesktop& desktop = scope.desktop;
    std::vector<std::string> log;
    std::shared_ptr<Window> window = std::make_shared<Window>();
    std::shared_ptr<Recorder> left = std::make_shared<Recorder>(log, "left");
    std::shared_ptr<Recorder> right = std::make_shared<Recorder>(log, "right");
};

TEST_F(WindowTest, APressedControlKeepsTheMouseAndClicksOnlyWhenReleasedOverItself) {
    at(20, 20);
    press();
    at(120, 20);
    at(30, 20);
    release();
    EXPECT_EQ(log, (std::vector<std::string>{"left enter", "left move 10", "left down",
                                             "left leave", "left move 110", "left enter",
                                             "left move 20", "left click"}));
    log.clear();
    press();
    at(120, 20);
    release();
    EXPECT_EQ(log, (std::vector<std::string>{"left down", "left leave", "left move 110"}))
        << "no click when the button goes up elsewhere, and the right one hears nothing";
    EXPECT_EQ(desktop.captureWindow(), nullptr);
}

TEST_F(WindowTest, AMoveWithoutTheButtonForgetsAStalePress) {
    at(20, 20);
    press();
    EXPECT_EQ(window->leftPressedControl(), left);
    // The button went up where the window never heard it: the next move reports no button.
    desktop.sendMessage(window->hwnd, WM_MOUSEMOVE, 0, platform::makeLParam(120, 20));
    EXPECT_EQ(window->leftPressedControl(), nullptr);
    EXPECT_EQ(log.back(), "right move 20");
}

TEST_F(WindowTest, HidingGivesTheHoveredControlOneLeaveAndShowingHoversItAgain) {
    at(20, 20);
    log.clear();
    window->hide();
    EXPECT_EQ(log, (std::vector<std::string>{"left leave"}));
    EXPECT_FALSE(desktop.isVisible(window->hwnd));
    window->show();
    at(25, 20);
    EXPECT_EQ(log, (std::vector<std::string>{"left leave", "left enter", "left move 15"}))
        << "the desktop's own leave message adds no second leave";
}

TEST_F(WindowTest, SizeMessagesResizeTheRootAndTellTheOwner) {
    int width = 0;
    window->resized = [&](int w, int) { width = w; };
    desktop.moveWindow(window->hwnd, {100, 100, 420, 260}, true);
    EXPECT_EQ(window->getBounds(), (Rect{0, 0, 320, 160}));
    EXPECT_EQ(width, 320);
    desktop.pump();
    EXPECT_EQ(desktop.presentedPixels(window->hwnd).width(), 320);
}

} // namespace
