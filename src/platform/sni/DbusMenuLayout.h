#pragma once

#include "platform/Resources.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sni {

// A tray icon's menu as the com.canonical.dbusmenu protocol lays it out: the root has id 0 and
// the items ids from 1, in order.
class DbusMenuLayout {
public:
    struct Entry {
        std::int32_t id;
        std::string label; // '_' marks the access key
        std::uint32_t command;
        MenuItemKind kind;
        bool checked;
    };

    // `first` items come before the menu's own.
    DbusMenuLayout(const std::vector<MenuItem>& first, const MenuResource& menu);

    const std::vector<Entry>& entries() const { return entries_; }
    // The item with that id; none for the root or an id it does not have.
    const Entry* find(std::int32_t id) const;
    // Sets the check mark of the check items with that command; whether any changed.
    bool setChecked(std::uint32_t command, bool checked);

    // A menu text with its '&' access key spelt as dbusmenu spells it.
    static std::string label(std::string_view text);

private:
    std::vector<Entry> entries_;
};

} // namespace platform::sni
