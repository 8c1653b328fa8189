#pragma once

#include "pixels/Bitmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The program's resources as data, for backends that have no resource compiler. The Windows
// build carries the same resources in its resource script.
namespace platform {

inline constexpr int contextMenuResource = 130;
inline constexpr std::uint32_t exitCommand = 40018;
inline constexpr std::uint32_t editConfigurationCommand = 40019;
inline constexpr std::uint32_t openLogCommand = 40020;
inline constexpr std::uint32_t reloadConfigurationCommand = 40021;
inline constexpr std::uint32_t startAtLoginCommand = 40022;
inline constexpr int closeIconResource = 111;
inline constexpr int closePressedIconResource = 112;

enum class MenuItemKind {
    Command,
    Check, // shows a check mark while it is checked
    Separator,
};

struct MenuItem {
    std::string text; // '&' marks the access key
    std::uint32_t command = 0;
    MenuItemKind kind = MenuItemKind::Command;
    bool checked = false; // as shown; a resource's items are all unchecked
};

// A menu bar with one pop-up, the form the context menu is stored in.
struct MenuResource {
    int identifier = 0;
    std::string popup;
    std::vector<MenuItem> items;
};

// The menu with that resource identifier, or null.
const MenuResource* findMenuResource(int identifier);

// The icon with that resource identifier drawn at size x size pixels, or none.
std::optional<gui::Bitmap<gui::Pixel>> builtInIcon(int identifier, int size);

} // namespace platform
