#pragma once

#include "pixels/Bitmap.h"
#include "platform/Scale.h"
#include "values/Colour.h"

#include <algorithm>
#include <cmath>
#include <string>

// One line of text measured and drawn into a bitmap, as each platform renders it.
namespace platform {

struct TextStyle {
    std::string family; // the nearest installed face is used
    float points = 8.0f;
    Colour colour{255, 255, 255, 255};
    int dpi = standardDpi; // of the display the text is for: 8 points are 11 pixels at 96
};

// The style's size in pixels at its dots per inch, the size every backend asks its fonts for.
inline int pixelSize(const TextStyle& style) {
    return std::max(
        1, static_cast<int>(std::lround(style.points * static_cast<float>(style.dpi) / 72.0f)));
}

enum class TextAlignment { Near, Far, Centre };

struct TextExtent {
    float width = 0.0f;
    float height = 0.0f; // one line
};

struct TextBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The size of `text` (UTF-8) on one line.
TextExtent measureText(const std::string& text, const TextStyle& style);

// Draws `text` on one line at the top of `box`, aligned across it, anti-aliased over what the
// bitmap holds. Text too wide for the box is cut and ends in an ellipsis; nothing is drawn
// outside the box or the bitmap.
void drawText(gui::Bitmap<gui::Pixel>& bitmap, const std::string& text, const TextStyle& style,
              const TextBox& box, TextAlignment alignment);

// Closes every font, with what the system keeps for finding them; the next text opens them
// again. For when no text is on screen: a tray monitor shows its windows now and then.
void releaseFonts();

} // namespace platform
