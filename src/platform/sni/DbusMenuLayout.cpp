#include "platform/sni/DbusMenuLayout.h"

namespace platform::sni {

DbusMenuLayout::DbusMenuLayout(const std::vector<MenuItem>& first, const MenuResource& menu) {
    for (const auto* items : {&first, &menu.items})
        for (const MenuItem& item : *items)
            entries_.push_back({static_cast<std::int32_t>(entries_.size() + 1), label(item.text),
                                item.command, item.kind, item.checked});
}

const DbusMenuLayout::Entry* DbusMenuLayout::find(std::int32_t id) const {
    if (id < 1 || static_cast<std::size_t>(id) > entries_.size())
        return nullptr;
    return &entries_[static_cast<std::size_t>(id) - 1];
}

bool DbusMenuLayout::setChecked(std::uint32_t command, bool checked) {
    bool changed = false;
    for (Entry& entry : entries_)
        if (entry.kind == MenuItemKind::Check && entry.command == command &&
            entry.checked != checked) {
            entry.checked = checked;
            changed = true;
        }
    return changed;
}

// "&&" is a literal '&' and "&x" marks x; a '_' of the text is doubled so that it stays one.
std::string DbusMenuLayout::label(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            result += text[i + 1] == '&' ? "&" : "_";
            if (text[i + 1] == '&')
                ++i;
        } else if (text[i] == '_') {
            result += "__";
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace platform::sni
