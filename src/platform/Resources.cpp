#include "platform/Resources.h"

#include <array>

namespace platform {

namespace {
const std::array<MenuResource, 1> menus{
    MenuResource{contextMenuResource,
                 "POPUP",
                 {MenuItem{"&Edit configuration", editConfigurationCommand},
                  MenuItem{"Open &log", openLogCommand},
                  MenuItem{"&Reload configuration", reloadConfigurationCommand},
                  MenuItem{"&Start at login", startAtLoginCommand, MenuItemKind::Check},
                  MenuItem{"", 0, MenuItemKind::Separator}, MenuItem{"E&xit", exitCommand}}},
};

// The close button's cross: light grey, and white while pressed, on a clear background.
gui::Bitmap<gui::Pixel> closeCross(int size, const Colour& colour) {
    gui::Bitmap<gui::Pixel> icon(size, size, gui::Pixel{});
    int near = size / 4;
    int far = size - 1 - size / 4;
    icon.drawLine(near, near, colour, far, far, colour);
    icon.drawLine(near, far, colour, far, near, colour);
    return icon;
}

} // namespace

const MenuResource* findMenuResource(int identifier) {
    for (const MenuResource& menu : menus)
        if (menu.identifier == identifier)
            return &menu;
    return nullptr;
}

std::optional<gui::Bitmap<gui::Pixel>> builtInIcon(int identifier, int size) {
    if (size <= 0)
        return std::nullopt;
    switch (identifier) {
    case closeIconResource:
        return closeCross(size, Colour(200, 200, 200, 255));
    case closePressedIconResource:
        return closeCross(size, Colour(255, 255, 255, 255));
    default:
        return std::nullopt;
    }
}

} // namespace platform
