#include "gui/controls/Label.h"

namespace gui {

namespace {

platform::TextAlignment alignmentOf(std::int32_t textAlign) {
    switch (textAlign) {
    case 1:
        return platform::TextAlignment::Far;
    case 2:
        return platform::TextAlignment::Centre;
    default:
        return platform::TextAlignment::Near;
    }
}

} // namespace

Label::Label(std::string text) : text(std::move(text)) {
    setBackground(Colour(0, 0, 0, 0));
    setPadding(2);
    invalidateContent(true, true);
}

void Label::paint(Bitmap<Pixel>& content, const Rect& rect) {
    if (text.empty())
        return;
    platform::TextStyle shown = style;
    shown.dpi = scale().dpi();
    int inset = scale().scaled(2);
    platform::TextBox box{rect.x + inset, rect.y, rect.width - 2 * inset, rect.height};
    auto half = static_cast<unsigned>(box.height) / 2;
    auto textHalf = static_cast<unsigned>(platform::measureText(text, shown).height) / 2;
    int top = half > textHalf ? static_cast<int>(half - textHalf) : 0;
    box.y = top;
    box.height -= top;
    platform::drawText(content, text, shown, box, alignmentOf(textAlign));
}

} // namespace gui
