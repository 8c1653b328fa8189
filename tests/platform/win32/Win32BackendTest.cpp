// The Windows backend's parts that work without a display: counters, text, message-only windows
// through the window framework, menus. The pop-up windows and the tray are covered by the
// desktop test under Wine.
#include "platform/Counters.h"
#include "platform/NativeDesktop.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "platform/win32/Win32Tray.h"
#include "support/Failure.h"
#include "support/TemporaryDirectory.h"
#include "winui/basic_window.h"
#include "winui/blank.h"
#include "winui/dynevent.h"
#include "winui/msgwindow.h"
#include "winui/uiexception.h"

#include "gtest/gtest.h"
#include <fstream>

namespace {

using MessageWindow = winui::basic_window<winui::msgwindow, winui::dynevent, winui::blank>;

class Win32Backend : public ::testing::Test {
protected:
    Win32Backend() {
        std::string reason;
        desktop = platform::openNativeDesktop(reason);
        platform::installDesktop(desktop.get());
    }
    ~Win32Backend() override { platform::installDesktop(nullptr); }

    std::unique_ptr<platform::Desktop> desktop;
};

TEST(PdhCounters, ServeKnownPathsAndRefuseOthers) {
    auto query = platform::openCounterQuery();
    EXPECT_NO_THROW(query->addCounter("\\Processor(_Total)\\% Processor Time"));
    EXPECT_EQ(test::failure([&] { query->addCounter("\\Nothing\\Here"); }), "PdhAddCounter failed");
    EXPECT_EQ(test::failure([&] { query->read(7); }), "GetFormattedCounterValue failed");
    EXPECT_LE(platform::memoryLoad(), 100u);
}

// Windows reads a 32-bit icon's transparency through its mask too: the mask must be set where
// the picture is fully transparent, or the empty first frame shows as a black square.
TEST(Win32Tray, TheIconMaskIsSetWhereThePictureIsFullyTransparent) {
    gui::Bitmap<gui::Pixel> picture(20, 2, gui::Pixel{});
    picture.scanline(1)[0].alpha = 255;
    picture.scanline(1)[17].alpha = 1;
    std::vector<std::uint8_t> mask = platform::win32::maskOf(picture);
    // Rows of whole 16-bit words: 20 pixels take 32 bits.
    EXPECT_EQ(mask, (std::vector<std::uint8_t>{0xff, 0xff, 0xf0, 0x00, 0x7f, 0xff, 0xb0, 0x00}));

    HICON icon = platform::win32::iconOf(picture);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    std::vector<std::uint8_t> read(mask.size());
    EXPECT_EQ(GetBitmapBits(info.hbmMask, static_cast<LONG>(read.size()), read.data()),
              static_cast<LONG>(read.size()));
    EXPECT_EQ(read, mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
}

TEST(GdiText, MeasuresAndDrawsInsideItsBox) {
    platform::TextStyle style{"Tahoma", 8.0f, Colour(255, 255, 255, 255)};
    platform::TextExtent extent = platform::measureText("Last", style);
    EXPECT_GT(extent.width, 5.0f);
    EXPECT_GT(extent.height, 5.0f);
    EXPECT_GT(platform::measureText("Last Last", style).width, extent.width);

    gui::Bitmap<gui::Pixel> picture(60, 20, gui::Pixel{0, 0, 0, 255});
    platform::drawText(picture, "a text far too long for its box", style, {10, 2, 30, 16},
                       platform::TextAlignment::Near);
    int inside = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            bool lit = picture.scanline(y)[x].red > 0;
            bool inBox = x >= 10 && x < 40 && y >= 2 && y < 18;
            inside += lit && inBox;
            EXPECT_FALSE(lit && !inBox) << x << "," << y;
        }
    EXPECT_GT(inside, 10);
}

TEST_F(Win32Backend, MessageWindowsRunTheFrameworkOnTheSystemQueue) {
    MessageWindow window;
    int received = 0;
    window.setHandler(WM_USER + 7, [&](winui::evtarg& message) {
        received = static_cast<int>(message.wParam);
        platform::desktop().postQuitMessage(3);
    });
    ASSERT_NE(window.create(), nullptr);
    ASSERT_TRUE(desktop->postMessage(window.hwnd, WM_USER + 7, 42, 0));
    EXPECT_EQ(platform::runMessageLoop(), 3);
    EXPECT_EQ(received, 42);

    desktop->sendMessage(window.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(desktop->userData(window.hwnd) != 0, true) << "closing does not destroy";

    MessageWindow named;
    MessageWindow sameName;
    named.className = sameName.className = "pakvue-test";
    named.create();
    try {
        sameName.create();
        ADD_FAILURE() << "a second class of the same name registered";
    } catch (const winui::uiexception& e) {
        EXPECT_STREQ(e.what(), "failed to register class (RegisterClassEx)");
        EXPECT_EQ(e.error, ERROR_CLASS_ALREADY_EXISTS);
    }
}

TEST_F(Win32Backend, TheContextMenuIsBuiltFromItsResourceWithItsCheckMark) {
    platform::MenuHandle menu = desktop->loadMenu(130);
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(reinterpret_cast<HMENU>(menu), 0);
    ASSERT_EQ(GetMenuItemCount(popup), 6);
    EXPECT_NE(GetMenuState(popup, 4, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_EQ(GetMenuItemID(popup, 5), platform::exitCommand);
    EXPECT_EQ(GetMenuState(popup, platform::startAtLoginCommand, MF_BYCOMMAND) & MF_CHECKED, 0u);
    desktop->setMenuItemChecked(menu, platform::startAtLoginCommand, true);
    EXPECT_NE(GetMenuState(popup, platform::startAtLoginCommand, MF_BYCOMMAND) & MF_CHECKED, 0u);
    desktop->setMenuItemChecked(menu, platform::startAtLoginCommand, false);
    EXPECT_EQ(GetMenuState(popup, platform::startAtLoginCommand, MF_BYCOMMAND) & MF_CHECKED, 0u);
    desktop->destroyMenu(menu);
    EXPECT_EQ(desktop->loadMenu(131), nullptr);
    EXPECT_EQ(desktop->lastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_TRUE(desktop->loadIcon(111, 16));
}

// The configuration is read again once a save has settled: a timer, and a watch that wakes the
// loop for the file, even when it is saved as a new file moved over the old one, and not for
// the log beside it.
TEST_F(Win32Backend, ATimerAndAWatchedFileWakeTheLoop) {
    test::TemporaryDirectory dir;
    const std::filesystem::path file = dir.path() / "pakvue.config.json";
    std::ofstream(file) << "{}";
    MessageWindow window;
    std::vector<std::uint32_t> heard;
    window.setHandler(WM_TIMER, [&](winui::evtarg& message) {
        heard.push_back(static_cast<std::uint32_t>(message.wParam));
        desktop->killTimer(window.hwnd, message.wParam);
        platform::desktop().postQuitMessage(static_cast<int>(message.wParam));
    });
    window.setHandler(WM_APP, [&](winui::evtarg&) {
        heard.push_back(WM_APP);
        platform::desktop().postQuitMessage(0);
    });
    ASSERT_NE(window.create(), nullptr);
    desktop->setTimer(window.hwnd, 5, 10);
    EXPECT_EQ(platform::runMessageLoop(), 5);

    auto watch = desktop->watchFile(file, window.hwnd, WM_APP);
    ASSERT_TRUE(watch);
    std::ofstream(dir.path() / "pakVue.log") << "a line";
    desktop->setTimer(window.hwnd, 8, 300);
    EXPECT_EQ(platform::runMessageLoop(), 8) << "the log's line woke nothing";
    std::ofstream(dir.path() / "pakvue.config.json.tmp") << "{ \"icons\": [] }";
    ASSERT_TRUE(MoveFileExW((dir.path() / "pakvue.config.json.tmp").c_str(), file.c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    desktop->setTimer(window.hwnd, 9, 5000); // ends the loop if the watch says nothing
    EXPECT_EQ(platform::runMessageLoop(), 0);
    desktop->killTimer(window.hwnd, 9);
    EXPECT_EQ(heard, (std::vector<std::uint32_t>{5, 8, WM_APP}));
    watch.reset();
}

// Wine runs at 96 DPI unless told otherwise: whichever functions the system has, the answers
// are those of 100 %.
TEST_F(Win32Backend, AtOneHundredPercentMonitorsHave96DpiAndTrayPictures16Pixels) {
    EXPECT_EQ(desktop->monitorDpi({0, 0}), 96);
    EXPECT_EQ(desktop->monitorDpi({-100000, 100000}), 96) << "the nearest monitor's";
    EXPECT_EQ(desktop->trayPictureSize(nullptr, 2361), 16);
}

TEST_F(Win32Backend, TheWorkAreaIsPartOfTheNearestMonitor) {
    std::vector<platform::Rect> monitors = desktop->monitors();
    ASSERT_FALSE(monitors.empty());
    std::optional<platform::Rect> area = desktop->workArea({-100000, -100000});
    ASSERT_TRUE(area);
    const platform::Rect& m = monitors.front();
    EXPECT_TRUE(area->left >= m.left && area->top >= m.top && area->right <= m.right &&
                area->bottom <= m.bottom && area->width() > 0 && area->height() > 0);
    EXPECT_FALSE(desktop->trayIconRect(nullptr, 2361)) << "no such icon";
}

} // namespace
