#include "platform/sni/DbusMenuLayout.h"
#include "platform/sni/SniPixmap.h"

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
    EXPECT_EQ(layout.commandOf(2), platform::exitCommand);
    EXPECT_EQ(layout.commandOf(1), 7u);
    EXPECT_FALSE(layout.commandOf(0)); // the root
    EXPECT_FALSE(layout.commandOf(3));
    EXPECT_EQ(DbusMenuLayout::label("Save && quit_now&"), "Save & quit__now&");
}
