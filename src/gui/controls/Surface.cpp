#include "gui/controls/Surface.h"

#include <algorithm>

namespace gui {

namespace {

void fitTo(Bitmap<Pixel>& bitmap, Size size) {
    if (bitmap.width() != size.width || bitmap.height() != size.height)
        bitmap = Bitmap<Pixel>(size.width, size.height, Pixel{});
}

} // namespace

void Surface::setBounds(const Rect& bounds) {
    if (bounds == bounds_)
        return;
    bool sized = bounds.width != bounds_.width || bounds.height != bounds_.height;
    if (sized)
        invalidateContent(true, true);
    else
        invalidate(true, true);
    bounds_ = bounds;
    onResized({bounds.width, bounds.height});
}

void Surface::setBackground(const Colour& colour) {
    background_ = colour;
    invalidateContent(true, true);
}

void Surface::setDepth(std::int32_t depth) {
    depth_ = depth;
    depthChanged();
}

void Surface::paint(Bitmap<Pixel>&, const Rect&) {}

Bitmap<Pixel>& Surface::content() {
    fitTo(content_, getSize());
    return content_;
}

Bitmap<Pixel>& Surface::composite() {
    fitTo(composite_, getSize());
    return composite_;
}

void Surface::dropPictures() {
    content_ = Bitmap<Pixel>(0, 0, Pixel{});
    composite_ = Bitmap<Pixel>(0, 0, Pixel{});
}

void Surface::copyContentToComposite() {
    copyPixels(content(), composite(), {0, 0}, {0, 0, bounds_.width, bounds_.height});
}

void copyPixels(const Bitmap<Pixel>& source, Bitmap<Pixel>& target, Point at, const Rect& clip) {
    int left = std::max({0, at.x, clip.x});
    int right = std::min({target.width(), at.x + source.width(), clip.x + clip.width});
    int top = std::max({0, at.y, clip.y});
    int bottom = std::min({target.height(), at.y + source.height(), clip.y + clip.height});
    if (left >= right)
        return;
    for (int y = top; y < bottom; ++y) {
        const Pixel* row = source.scanline(y - at.y) + (left - at.x);
        std::copy(row, row + (right - left), target.scanline(y) + left);
    }
}

} // namespace gui
