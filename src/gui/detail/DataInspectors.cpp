#include "gui/detail/DataInspectors.h"

namespace gui {

namespace {

constexpr int nearEdge = 90;
const Colour outline(255, 255, 255, 170);

void drawEntry(Bitmap<Pixel>& target, InspectorBox& entry, int left, int top, int right,
               int bottom) {
    drawBox(target, left, top, right, bottom, outline, entry.colour);
    entry.box = {left, top, right - left, bottom - top};
}

} // namespace

void DataInspectorFixed::beforePaint(Bitmap<Pixel>& target) {
    if (!showing())
        return;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        InspectorBox& entry = entries_[k];
        if (entry.text.empty())
            continue;
        int width = textWidth(entry.text) + 12;
        int left = markerX_ < nearEdge ? markerX_ + 8 : 4;
        int top = 4 + 24 * static_cast<int>(k);
        drawEntry(target, entry, left, top, markerX_ < nearEdge ? left + width : width, top + 20);
    }
}

void DataInspectorFloating::beforePaint(Bitmap<Pixel>& target) {
    if (!showing())
        return;
    for (InspectorBox& entry : entries_) {
        if (entry.text.empty())
            continue;
        int tw = textWidth(entry.text);
        entry.side = markerX_ < bitmap_->width() - nearEdge ? 0 : 1;
        int left = entry.side == 0 ? markerX_ + 8 : markerX_ - tw - 12;
        drawEntry(target, entry, left, entry.box.y, left + tw + 4, entry.box.y + 20);
    }
}

void DataInspectorFree::clampSlots(std::vector<BoxSlot>& slots) {
    auto n = static_cast<std::int32_t>(slots.size());
    for (std::int32_t k = 0; k < n; ++k) {
        BoxSlot& slot = slots[static_cast<std::size_t>(k)];
        std::int32_t shift = std::max(0, 24 * k - slot.start);
        std::int32_t limit = bounds_.height - 24 * (n - 1 - k);
        if (slot.end + shift > limit)
            shift = limit - slot.end;
        slot.start += shift;
        slot.end += shift;
    }
}

void DataInspectorFree::placeBox(InspectorBox& entry, const Sample& point, std::int32_t centre) {
    entry.box = {markerX_ - 120, centre - 10, 100, 20};
    entry.side = 0;
    entry.x1 = markerX_ - 5;
    entry.y1 = point.y;
    entry.x2 = markerX_ - 19;
    entry.y2 = centre;
}

void DataInspectorFree::beforePaint(Bitmap<Pixel>& target) {
    if (!showing())
        return;
    for (InspectorBox& entry : entries_) {
        if (entry.text.empty())
            continue;
        int tw = textWidth(entry.text);
        int left = markerX_ - 24 - tw;
        int x1 = entry.x1;
        int x2 = entry.x2;
        entry.side = 0;
        if (left < 1) { // no room on the left: the box and its leader flip to the right
            left = markerX_ + 20;
            x1 += 10;
            x2 += 38;
            entry.side = 1;
        }
        drawEntry(target, entry, left, entry.box.y, left + tw + 4, entry.box.y + 20);
        target.drawLine(x1, entry.y1, outline, x2, entry.y2, outline);
    }
}

} // namespace gui
