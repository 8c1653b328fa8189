#pragma once

#include "gui/controls/Control.h"
#include "platform/Text.h"

#include <string>

namespace gui {

// One line of text, centred vertically, cut with an ellipsis when too wide. Transparent: it
// shows what lies behind it. Whoever writes `text` or `textAlign` invalidates the content. The
// style's size is in points, drawn at the control's scale.
class Label : public Control {
public:
    explicit Label(std::string text);

    void paint(Bitmap<Pixel>& content, const Rect& rect) override;

    std::string text;
    std::int32_t textAlign = 0; // 0 left, 1 right, 2 centre
    platform::TextStyle style{"Tahoma", 8.0f, Colour(255, 255, 255, 255)};
};

} // namespace gui
