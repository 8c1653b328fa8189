#pragma once

#include "pixels/Pixel.h"
#include "values/Colour.h"

#include <cstddef>
#include <vector>

namespace gui {

// A picture in memory, row-major with row 0 at the top, and the blending primitives every graph
// is drawn with. Rectangles are half-open (left <= x < right, top <= y < bottom); every
// primitive skips what falls outside the picture, so nothing is ever written outside the array.
template <typename P>
class Bitmap {
public:
    // Opaque white; a size below zero counts as zero.
    Bitmap(int width, int height);
    Bitmap(int width, int height, P fill);

    int width() const { return width_; }
    int height() const { return height_; }
    // The pixels of row y, which must lie inside the picture.
    P* scanline(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const P* scanline(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::vector<P>& pixels() const { return pixels_; }

    // Line state that rendering methods set before they draw lines; both start set.
    void setAntialiasLines(bool on) { antialiasLines_ = on; }
    void setIncludeLineEnd(bool on) { includeLineEnd_ = on; }

    // Overwrites every pixel with `pixel`.
    void fill(P pixel);
    // Mixes c into the pixel with opacity c.alpha / 255 * factor. A factor below zero pushes
    // the pixel slightly away from the colour.
    void blend(std::size_t index, const Colour& c, float factor);
    // Overwrites a whole row or column with c.
    void drawHorizontalLine(int y, const Colour& c);
    void drawVerticalLine(int x, const Colour& c);
    // Blends every step-th pixel of row y; a step below 1 counts as 1.
    void drawDottedHorizontalLine(int y, const Colour& c, double step, float factor);
    // Steps from `top` towards `bottom` one (b - t + 1)-th per row, starting one step in, so the
    // end colour itself is never drawn.
    void fillVerticalGradient(int left, int top, int right, int bottom, const Colour& topColour,
                              const Colour& bottomColour);
    void fillHorizontalGradient(int left, int top, int right, int bottom, const Colour& leftColour,
                                const Colour& rightColour);
    // Shades the inside of the triangle (edges excluded) from the three vertex colours. Inside
    // is where all three edge values are positive, which fixes the vertices' winding.
    void fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3, const Colour& c1,
                      const Colour& c2, const Colour& c3);
    // A line from c0 to c1, anti-aliased and with its end point as the line flags say.
    void drawLine(int x0, int y0, const Colour& c0, int x1, int y1, const Colour& c1);
    // Four anti-aliased lines with end points, whatever the line flags say.
    void drawRectangle(int left, int top, int right, int bottom, const Colour& c);

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void drawLineSteps(int x0, int y0, int x1, int y1, const Colour& c0, const Colour& c1);

    std::vector<P> pixels_;
    int width_;
    int height_;
    bool antialiasLines_ = true;
    bool includeLineEnd_ = true;
};

} // namespace gui
