#include "gui/detail/DataInspectorFree.h"

#include <algorithm>

namespace gui {

void DataInspectorFree::clampSlots(std::vector<BoxSlot>& slots) {
    auto n = static_cast<std::int32_t>(slots.size());
    std::int32_t pitch = px(boxPitch);
    for (std::int32_t k = 0; k < n; ++k) {
        BoxSlot& slot = slots[static_cast<std::size_t>(k)];
        std::int32_t shift = std::max(0, pitch * k - slot.start);
        std::int32_t limit = bitmap_->height() - pitch * (n - 1 - k);
        if (slot.end + shift > limit)
            shift = limit - slot.end;
        slot.start += shift;
        slot.end += shift;
    }
}

void DataInspectorFree::placeBox(InspectorBox& entry, const Sample& point, std::int32_t centre) {
    entry.box = {markerX_ - px(120), centre - px(boxHeight) / 2, px(100), px(boxHeight)};
    entry.side = 0;
    entry.x1 = markerX_ - px(5);
    entry.y1 = point.y;
    entry.x2 = markerX_ - px(19);
    entry.y2 = centre;
}

void DataInspectorFree::paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t,
                                 int textWidth) {
    int left = markerX_ - px(24) - textWidth;
    int x1 = entry.x1;
    int x2 = entry.x2;
    entry.side = 0;
    if (left < 1) { // no room on the left: the box and its leader flip to the right
        left = markerX_ + px(20);
        x1 += px(10);
        x2 += px(38);
        entry.side = 1;
    }
    drawEntry(target, entry, left, entry.box.y, left + textWidth + px(4),
              entry.box.y + px(boxHeight));
    target.drawLine(x1, entry.y1, outline, x2, entry.y2, outline);
}

} // namespace gui
