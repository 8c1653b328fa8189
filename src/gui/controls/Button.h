#pragma once

#include "gui/controls/Control.h"

#include <optional>
#include <string>

namespace gui {

// A picture resource asked for at a size, in pixels at 96 dots per inch.
struct IconResource {
    int identifier = 0;
    int size = 16;
};

// A picture on a rectangle whose colour follows the mouse: nothing behind the picture when
// idle, the hover colour with a border when hovered or held elsewhere, and the pressed colour
// with the pressed picture while held under the mouse. The pictures are loaded at the button's
// scale.
class Button : public Control {
public:
    Button(IconResource icon, IconResource pressedIcon, std::string text);

    void attached() override;
    void paint(Bitmap<Pixel>& content, const Rect& rect) override;
    // Derives the state colours from `base`; every component is clamped to 0..255.
    void setColours(const Colour& base, float pressedFactor, float hoverFactor, float borderFactor);

    std::string text; // sizes the button; never drawn
    bool autoSize = true;

protected:
    void scaleChanged() override;

private:
    void installHandlers();
    void redrawOwner();
    void loadPictures();

    IconResource iconResource_;
    IconResource pressedIconResource_;
    std::optional<Bitmap<Pixel>> icon_;
    std::optional<Bitmap<Pixel>> pressedIcon_;
    Colour baseColour_;
    Colour hoverColour_;
    Colour borderColour_;
    Colour pressedColour_;
};

} // namespace gui
