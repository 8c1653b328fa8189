#include "platform/headless/HeadlessDesktop.h"

#include "platform/Resources.h"

#include "gtest/gtest.h"
#include <thread>
#include <vector>

namespace {

using platform::Message;
using platform::Point;
using platform::Rect;
using platform::WindowHandle;
using platform::headless::HeadlessDesktop;
using platform::headless::MouseButton;

std::vector<Message> received;
Rect suggested; // the rectangle of the last WM_DPICHANGED, which lives only while it is handled

platform::LResult recordingProcedure(WindowHandle window, std::uint32_t message,
                                     platform::WParam wParam, platform::LParam lParam) {
    received.push_back({window, message, wParam, lParam});
    if (message == WM_DPICHANGED)
        suggested = *reinterpret_cast<const Rect*>(lParam);
    return platform::desktop().defaultProcedure(window, message, wParam, lParam);
}

class HeadlessDesktopTest : public ::testing::Test {
protected:
    HeadlessDesktopTest() {
        received.clear();
        platform::installDesktop(&desktop);
    }
    ~HeadlessDesktopTest() override { platform::installDesktop(nullptr); }

    WindowHandle popup(Rect bounds, std::uint32_t classStyle = 0) {
        std::string name = "popup" + std::to_string(++classes_);
        EXPECT_TRUE(desktop.registerClass({classStyle, &recordingProcedure, 0, 0, name}));
        platform::WindowCreation creation;
        creation.className = name;
        creation.x = bounds.left;
        creation.y = bounds.top;
        creation.width = bounds.width();
        creation.height = bounds.height();
        WindowHandle window = desktop.createWindow(creation);
        desktop.showWindow(window, true);
        desktop.pump();
        received.clear();
        return window;
    }

    // The messages received since the last call, without the paints.
    std::vector<std::uint32_t> messages() {
        desktop.pump();
        std::vector<std::uint32_t> numbers;
        for (const Message& message : received)
            if (message.message != WM_PAINT)
                numbers.push_back(message.message);
        received.clear();
        return numbers;
    }

    HeadlessDesktop desktop;
    int classes_ = 0;
};

TEST(MessagePacking, WordsRoundTripWithSign) {
    platform::LParam packed = platform::makeLParam(-5, 300);
    EXPECT_EQ(platform::signedLowWord(static_cast<std::uintptr_t>(packed)), -5);
    EXPECT_EQ(platform::signedHighWord(static_cast<std::uintptr_t>(packed)), 300);
    platform::WParam anchor = platform::makeWParam(1800, 1060);
    EXPECT_EQ(platform::lowWord(anchor), 1800);
    EXPECT_EQ(platform::highWord(anchor), 1060);
}

TEST_F(HeadlessDesktopTest, QuitComesAfterQueuedMessagesAndEndsTheLoop) {
    WindowHandle window = popup({0, 0, 10, 10});
    desktop.postMessage(window, WM_USER + 5, 1, 2);
    desktop.postQuitMessage(3);
    EXPECT_FALSE(desktop.pump()) << "the quit message stays for the loop";
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, WM_USER + 5u);
    EXPECT_EQ(platform::runMessageLoop(), 3);
}

TEST_F(HeadlessDesktopTest, PostingFromAnotherThreadWakesTheLoop) {
    WindowHandle window = popup({0, 0, 10, 10});
    std::thread poster([&] {
        desktop.postMessage(window, WM_USER + 1, 0, 0);
        desktop.redraw(window); // painted by the loop's thread
        desktop.postQuitMessage(0);
    });
    EXPECT_EQ(platform::runMessageLoop(), 0);
    poster.join();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front().message, WM_USER + 1u);
    desktop.redraw(window);
    EXPECT_EQ(received.back().message, static_cast<std::uint32_t>(WM_PAINT))
        << "on its own thread a redraw paints at once";
}

TEST_F(HeadlessDesktopTest, ClosingAWindowByDefaultDestroysIt) {
    WindowHandle window = popup({0, 0, 10, 10});
    desktop.sendMessage(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_CLOSE, WM_DESTROY}));
    EXPECT_TRUE(desktop.windows().empty());
    EXPECT_FALSE(desktop.postMessage(window, WM_USER, 0, 0));
    EXPECT_EQ(desktop.lastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(HeadlessDesktopTest, MouseGoesToTheWindowUnderItOrTheCapture) {
    WindowHandle window = popup({100, 100, 200, 150}, CS_DBLCLKS);
    desktop.moveMouse({110, 120});
    desktop.pressButton(MouseButton::Left);
    ASSERT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOUSEMOVE, WM_LBUTTONDOWN}));
    desktop.setCapture(window);
    desktop.moveMouse({90, 95});
    desktop.pump();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].wParam, MK_LBUTTON);
    EXPECT_EQ(platform::signedLowWord(static_cast<std::uintptr_t>(received[0].lParam)), -10);
    EXPECT_EQ(platform::signedHighWord(static_cast<std::uintptr_t>(received[0].lParam)), -5);
    received.clear();
    desktop.releaseButton(MouseButton::Left);
    desktop.releaseCapture();
    desktop.moveMouse({95, 95});
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_CAPTURECHANGED, WM_LBUTTONUP}))
        << "outside and without capture a move reaches no window";

    desktop.moveMouse({150, 120});
    desktop.setModifierKeys(MK_SHIFT);
    desktop.doubleClick(MouseButton::Right);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP,
                                                      WM_RBUTTONDBLCLK, WM_RBUTTONUP}));
}

TEST_F(HeadlessDesktopTest, LeaveTrackingPostsOneLeaveWhenTheMouseGoes) {
    WindowHandle window = popup({0, 0, 50, 50});
    desktop.moveMouse({10, 10});
    desktop.trackMouseLeave(window);
    desktop.moveMouse({20, 20});
    desktop.moveMouse({60, 60});
    desktop.moveMouse({70, 70});
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSELEAVE}));
    desktop.trackMouseLeave(window); // already outside: the leave comes at once
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOUSELEAVE}));
    desktop.moveMouse({10, 10});
    desktop.trackMouseLeave(window);
    desktop.showWindow(window, false);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_SHOWWINDOW, WM_MOUSEMOVE, WM_MOUSELEAVE}));
}

TEST_F(HeadlessDesktopTest, WindowsPaintWhenNothingElseIsQueuedAndKeepPresentedPixels) {
    WindowHandle window = popup({10, 10, 14, 13});
    desktop.postMessage(window, WM_USER, 0, 0);
    desktop.invalidate(window);
    desktop.pump();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, WM_USER);
    EXPECT_EQ(received[1].message, static_cast<std::uint32_t>(WM_PAINT));

    gui::Bitmap<gui::Pixel> pixels(3, 3, gui::Pixel{1, 2, 3, 255});
    desktop.present(window, pixels, {2, 1}); // partly outside the 4 x 3 client area
    gui::Bitmap<gui::Pixel> shown = desktop.presentedPixels(window);
    ASSERT_EQ(shown.width(), 4);
    ASSERT_EQ(shown.height(), 3);
    EXPECT_EQ(shown.scanline(0)[3].alpha, 0);
    EXPECT_EQ(shown.scanline(1)[1].alpha, 0);
    EXPECT_EQ(shown.scanline(1)[2].blue, 3);
    EXPECT_EQ(shown.scanline(2)[3].red, 1);

    received.clear();
    desktop.moveWindow(window, {100, 200, 110, 220}, true);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_MOVE, WM_SIZE}));
    EXPECT_EQ(desktop.windowRect(window), (Rect{100, 200, 110, 220}));
    EXPECT_EQ(desktop.clientRect(window), (Rect{0, 0, 10, 20}));
    EXPECT_EQ(desktop.screenToClient(window, {105, 203}), (Point{5, 3}));
}

TEST_F(HeadlessDesktopTest, TrayIconsSpeakVersionFourAndKeepTheirLastPicture) {
    WindowHandle owner = popup({0, 0, 1, 1});
    gui::Bitmap<gui::Pixel> clear(16, 16, gui::Pixel{});
    ASSERT_TRUE(desktop.addTrayIcon({owner, 2361, 2361, "PakVue", &clear}));
    EXPECT_FALSE(desktop.addTrayIcon({owner, 2361, 2361, "PakVue", &clear}));
    ASSERT_TRUE(desktop.addTrayIcon({owner, 2362, 2362, "PakVue", &clear}));

    std::thread animation([&] {
        desktop.setTrayIconPicture(owner, 2362, gui::Bitmap<gui::Pixel>(16, 16, {9, 9, 9, 99}));
    });
    animation.join();
    EXPECT_EQ(desktop.trayIcon(2362)->picture.scanline(15)[15].alpha, 99);
    EXPECT_EQ(desktop.trayIcon(2361)->picture.scanline(0)[0].alpha, 0);

    Point first = desktop.trayIcon(2361)->anchor;
    Point second = desktop.trayIcon(2362)->anchor;
    EXPECT_TRUE((Rect{0, 1040, 1920, 1080}).contains(first));
    EXPECT_LT(second.x, first.x) << "icons line up from the clock leftwards";

    desktop.hoverTrayIcon(2362);
    desktop.leaveTrayIcon(2362);
    desktop.openTrayContextMenu(2361);
    desktop.pump();
    std::vector<std::uint32_t> events;
    for (const Message& message : received) {
        events.push_back(platform::lowWord(static_cast<std::uintptr_t>(message.lParam)));
        EXPECT_EQ(message.message, platform::highWord(static_cast<std::uintptr_t>(message.lParam)));
    }
    EXPECT_EQ(events, (std::vector<std::uint32_t>{NIN_POPUPOPEN, NIN_POPUPCLOSE, WM_RBUTTONDOWN,
                                                  WM_RBUTTONUP, WM_CONTEXTMENU}));
    EXPECT_EQ(received.back().wParam, platform::makeWParam(first.x, first.y));
    EXPECT_EQ(desktop.cursorPosition(), first);

    EXPECT_TRUE(desktop.removeTrayIcon(owner, 2361));
    EXPECT_THROW(desktop.clickTrayIcon(2361), std::invalid_argument);
}

// The owner hears WM_INITMENUPOPUP before the menu shows, and the check marks it sets then are
// the ones shown.
TEST_F(HeadlessDesktopTest, TheContextMenuShowsTheOwnersCheckMarksAndDeliversTheChosenCommand) {
    WindowHandle owner = popup({0, 0, 1, 1});
    EXPECT_EQ(desktop.loadMenu(999), nullptr);
    EXPECT_EQ(desktop.lastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    platform::MenuHandle menu = desktop.loadMenu(130);
    ASSERT_NE(menu, nullptr);
    EXPECT_THROW(desktop.chooseMenuItem(40018), std::logic_error);
    const auto shownChecks = [&] {
        std::vector<bool> checks;
        const platform::headless::MenuRequest shown = desktop.menuRequest().value();
        for (const platform::MenuItem& item : shown.items)
            checks.push_back(item.checked);
        return checks;
    };
    desktop.setMenuItemChecked(menu, platform::startAtLoginCommand, true);
    desktop.setMenuItemChecked(menu, platform::exitCommand, true); // not a check item
    desktop.trackPopupMenu(menu, {1800, 1060}, owner, 2361);
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_INITMENUPOPUP}));
    ASSERT_TRUE(desktop.menuRequest());
    EXPECT_EQ(desktop.menuRequest()->items.back().text, "E&xit");
    EXPECT_EQ(desktop.menuRequest()->items.back().command, 40018u);
    EXPECT_EQ(shownChecks(), (std::vector<bool>{false, false, false, true, false, false}));
    desktop.setMenuItemChecked(menu, platform::startAtLoginCommand, false);
    desktop.trackPopupMenu(menu, {1800, 1060}, owner, 2361);
    EXPECT_EQ(shownChecks(), std::vector<bool>(6, false));
    EXPECT_THROW(desktop.chooseMenuItem(1), std::logic_error);
    desktop.chooseMenuItem(40018);
    EXPECT_FALSE(desktop.menuRequest());
    EXPECT_EQ(messages(), (std::vector<std::uint32_t>{WM_INITMENUPOPUP, WM_COMMAND}));
    desktop.destroyMenu(menu);
}

TEST_F(HeadlessDesktopTest, ANewScaleReachesEveryWindowAndTheTray) {
    WindowHandle window = popup({100, 100, 300, 200});
    platform::WindowCreation hidden;
    hidden.className = "popup1";
    hidden.messageOnly = true;
    desktop.createWindow(hidden);
    platform::WParam dpi = 0;
    int count = 0;
    received.clear();
    desktop.setDpi(144);
    for (const Message& message : received)
        if (message.message == WM_DPICHANGED) {
            ++count;
            EXPECT_EQ(message.window, window);
            dpi = message.wParam;
        }
    EXPECT_EQ(count, 1) << "the message-only window hears nothing";
    EXPECT_EQ(dpi, platform::makeWParam(144, 144));
    EXPECT_EQ(suggested, (Rect{100, 100, 400, 250})) << "grown from its top-left corner";
    EXPECT_EQ(desktop.monitorDpi({5000, 5000}), 144);
    EXPECT_EQ(desktop.trayPictureSize(window, 1), 24) << "the small-icon size at 144 DPI";
    received.clear();
    desktop.setDpi(144);
    EXPECT_TRUE(received.empty()) << "no change, no message";
}

} // namespace
