#include "gui/detail/DataInspectorFree.h"

#include <algorithm>

namespace gui {

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

void DataInspectorFree::paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t,
                                 int textWidth) {
    int left = markerX_ - 24 - textWidth;
    int x1 = entry.x1;
    int x2 = entry.x2;
    entry.side = 0;
    if (left < 1) { // no room on the left: the box and its leader flip to the right
        left = markerX_ + 20;
        x1 += 10;
        x2 += 38;
        entry.side = 1;
    }
    drawEntry(target, entry, left, entry.box.y, left + textWidth + 4, entry.box.y + 20);
    target.drawLine(x1, entry.y1, outline, x2, entry.y2, outline);
}

} // namespace gui
