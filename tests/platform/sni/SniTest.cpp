#include "platform/sni/ClickHint.h"
#include "platform/sni/DbusMenuLayout.h"
#include "platform/sni/Notification.h"
#include "platform/sni/SniPixmap.h"

#include <climits>
#include <gtest/gtest.h>

using namespace platform::sni;

// Hosts read alpha, red, green, blue, row by row from the top, whatever the machine's byte
// order, and straight colours: a half-transparent pixel keeps its full colour.
TEST(SniPixmap, WritesEachPixelAsAlphaRedGreenBlueRowByRow) {
    gui::Bitmap<gui::Pixel> picture(2, 2, gui::Pixel{});
    picture.scanline(0)[0] = {1, 2, 3, 4};
    picture.scanline(0)[1] = {255, 0, 0, 128};
    picture.scanline(1)[0] = {0, 255, 0, 255};
    picture.scanline(1)[1] = {0, 0, 255, 0};
    std::vector<std::uint8_t> bytes(99, 7); // a longer buffer is cut to the picture
    toArgb32(picture, bytes);
    const std::vector<std::uint8_t> expected = {4,   1, 2,   3, 128, 255, 0, 0,
                                                255, 0, 255, 0, 0,   0,   0, 255};
    EXPECT_EQ(bytes, expected);
}

TEST(DbusMenuLayout, NumbersTheItemsFromOneWithTheirAccessKeys) {
    const platform::MenuResource menu{130, "", {{"E&xit", platform::exitCommand}}};
    const DbusMenuLayout layout({{"Show &details", 7}}, menu);
    ASSERT_EQ(layout.entries().size(), 2u);
    EXPECT_EQ(layout.entries()[0].id, 1);
    EXPECT_EQ(layout.entries()[0].label, "Show _details");
    EXPECT_EQ(layout.entries()[1].label, "E_xit");
    ASSERT_TRUE(layout.find(2) && layout.find(1));
    EXPECT_EQ(layout.find(2)->command, platform::exitCommand);
    EXPECT_EQ(layout.find(1)->command, 7u);
    EXPECT_FALSE(layout.find(0)); // the root
    EXPECT_FALSE(layout.find(3));
    EXPECT_EQ(DbusMenuLayout::label("Save && quit_now&"), "Save & quit__now&");
}

// The context menu as hosts get it: its separator is an item of its own, and only a check item
// takes a check mark, which the layout says changed when it did.
TEST(DbusMenuLayout, KeepsTheCheckMarksOfItsCheckItems) {
    DbusMenuLayout layout({{"Show &details", 1}}, *platform::findMenuResource(130));
    ASSERT_EQ(layout.entries().size(), 7u);
    EXPECT_EQ(layout.entries()[5].kind, platform::MenuItemKind::Separator);
    const DbusMenuLayout::Entry& startAtLogin = layout.entries()[4];
    EXPECT_EQ(startAtLogin.label, "_Start at login");
    EXPECT_EQ(startAtLogin.kind, platform::MenuItemKind::Check);
    EXPECT_FALSE(startAtLogin.checked);
    EXPECT_TRUE(layout.setChecked(platform::startAtLoginCommand, true));
    EXPECT_TRUE(startAtLogin.checked);
    EXPECT_FALSE(layout.setChecked(platform::startAtLoginCommand, true)) << "no change";
    EXPECT_FALSE(layout.setChecked(platform::exitCommand, true)) << "not a check item";
    EXPECT_FALSE(layout.entries()[6].checked);
    EXPECT_EQ(layout.entries()[6].label, "E_xit");
}

// Servers that read markup in a body would take a file name's '<' or '&' for it.
TEST(Notification, TheBodyKeepsItsTextWhereMarkupIsRead) {
    EXPECT_EQ(escapedBody("\"C:\\a&b\\<x>.json\" (1): error"),
              "\"C:\\a&amp;b\\&lt;x&gt;.json\" (1): error");
}

// xfce and KDE send the click's screen position, where the pointer is on X11; waybar 0.9 sends
// it relative to the icon's widget while the pointer, over a Wayland surface, says nothing.
TEST(ClickHint, TrustsANearPointerThenTellsWidgetPositionsFromScreenPositions) {
    const platform::Rect screen{0, 0, 1280, 720};
    EXPECT_EQ(placeClick({1200, 10}, {1210, 12}, screen), (platform::Point{1210, 12}));
    EXPECT_EQ(placeClick({11, 14}, {640, 360}, screen), (platform::Point{1279, 0}))
        << "relative to the widget: the corner where such bars keep their tray";
    EXPECT_EQ(placeClick({11, 14}, {5, 20}, screen), (platform::Point{5, 20}))
        << "an X11 panel at the top left, with the pointer on the icon";
    EXPECT_EQ(placeClick({900, 700}, {10, 10}, screen), (platform::Point{900, 700}));
    EXPECT_EQ(placeClick({5000, -30}, {10, 10}, screen), (platform::Point{1279, 0}))
        << "kept on the screen";
    EXPECT_EQ(placeClick({INT_MIN, INT_MIN}, {INT_MAX, 10}, screen), (platform::Point{0, 0}))
        << "any two numbers a host sends";
}

// A menu choice comes without a position: the pointer is on the menu on X11, and says nothing
// under Xwayland, where the last click on the icon, or the usual corner, stands for it.
TEST(ClickHint, PlacesAMenuChoiceAtThePointerOnlyOnAnXServerOfItsOwn) {
    const platform::Rect screen{0, 0, 1280, 720};
    EXPECT_EQ(placeMenuChoice({600, 700}, platform::Point{1200, 10}, screen, false),
              (platform::Point{600, 700}));
    EXPECT_EQ(placeMenuChoice({640, 360}, platform::Point{1200, 10}, screen, true),
              (platform::Point{1200, 10}));
    EXPECT_EQ(placeMenuChoice({640, 360}, std::nullopt, screen, true), (platform::Point{1279, 0}));
}
