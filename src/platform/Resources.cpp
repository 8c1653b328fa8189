#include "platform/Resources.h"

#include <array>

namespace platform {

namespace {
const std::array<MenuResource, 1> menus{
    MenuResource{contextMenuResource, "POPUP", {MenuItem{"E&xit", exitCommand}}},
};
} // namespace

const MenuResource* findMenuResource(int identifier) {
    for (const MenuResource& menu : menus)
        if (menu.identifier == identifier)
            return &menu;
    return nullptr;
}

} // namespace platform
