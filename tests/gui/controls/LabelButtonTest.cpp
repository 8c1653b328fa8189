#include "gui/controls/Button.h"
#include "gui/controls/ClientArea.h"
#include "gui/controls/Label.h"
#include "platform/Resources.h"
#include "platform/headless/HeadlessDesktopScope.h"

#include "gtest/gtest.h"

using namespace gui;

namespace {

const Colour grey(40, 40, 40, 255);

struct Tree {
    Tree() {
        area->setBounds({0, 0, 40, 30});
        area->setBackground(grey);
    }
    Bitmap<Pixel>& render() {
        area->render(nullptr, target, {0, 0, 40, 30});
        return target;
    }

    platform::headless::HeadlessDesktopScope
        scope; // the button loads its pictures from the desktop
    std::shared_ptr<ClientArea> area = std::make_shared<ClientArea>();
    Bitmap<Pixel> target{40, 30};
};

// The smallest rectangle holding every pixel of `bitmap` that differs from `background`.
Rect changed(const Bitmap<Pixel>& bitmap, Rect within, Pixel background) {
    int left = within.x + within.width, top = within.y + within.height, right = -1, bottom = -1;
    for (int y = within.y; y < within.y + within.height; ++y)
        for (int x = within.x; x < within.x + within.width; ++x) {
            const Pixel& p = bitmap.scanline(y)[x];
            if (p.red == background.red && p.green == background.green && p.blue == background.blue)
                continue;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    return {left, top, right - left + 1, bottom - top + 1};
}

TEST(Label, AnEmptyLabelShowsWhatLiesBehindIt) {
    Tree tree;
    auto label = std::make_shared<Label>("");
    label->setBounds({2, 2, 30, 20});
    tree.area->addChild(label);
    Rect touched = changed(tree.render(), {0, 0, 40, 30}, toPixel(grey));
    EXPECT_LT(touched.width, 0) << "nothing differs from the parent";
    label->text = "Avg";
    label->invalidateContent(true, true);
    EXPECT_GT(changed(tree.render(), {0, 0, 40, 30}, toPixel(grey)).width, 0);
}

TEST(Button, DrawsItsPictureOneInAndFollowsTheMouse) {
    Tree tree;
    auto button =
        std::make_shared<Button>(IconResource{platform::closeIconResource, 16},
                                 IconResource{platform::closePressedIconResource, 16}, "");
    tree.area->addChild(button);
    EXPECT_EQ(button->getSize(), (Size{18, 18})) << "sized to its picture";
    button->autoSize = false;
    button->setBounds({0, 0, 16, 16});
    button->setColours(Colour(200, 100, 50, 255), 1.2f, 1.4f, 1.6f);
    Rect picture = changed(tree.render(), {0, 0, 16, 16}, toPixel(grey));

    auto icon = platform::desktop().loadIcon(platform::closeIconResource, 16);
    Rect expected = changed(*icon, {0, 0, 16, 16}, Pixel{});
    EXPECT_EQ(picture, (Rect{expected.x + 1, expected.y, expected.width, expected.height}));

    MouseTrackingArgs enter;
    button->onMouseEnter(enter);
    const Pixel& inside = tree.render().scanline(2)[14];
    EXPECT_EQ(inside.red, 255) << "200 x 1.4 is clamped";
    EXPECT_EQ(inside.green, 140);
    EXPECT_EQ(inside.alpha, 255);
    EXPECT_EQ(tree.target.scanline(0)[0].red, 255) << "the border, 200 x 1.6 clamped";
}

TEST(Button, LoadsItsPicturesAgainAtANewScale) {
    Tree tree;
    auto button =
        std::make_shared<Button>(IconResource{platform::closeIconResource, 16},
                                 IconResource{platform::closePressedIconResource, 16}, "");
    button->autoSize = false;
    tree.area->addChild(button);
    button->setBounds({0, 0, 24, 24});
    tree.area->setScale(platform::Scale(144));
    Rect picture = changed(tree.render(), {0, 0, 24, 24}, toPixel(grey));
    auto icon = platform::desktop().loadIcon(platform::closeIconResource, 24);
    Rect expected = changed(*icon, {0, 0, 24, 24}, Pixel{});
    EXPECT_EQ(picture, (Rect{expected.x + 1, expected.y, expected.width, expected.height}));
}

} // namespace
