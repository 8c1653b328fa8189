#include "gui/detail/DataInspectorFixed.h"

namespace gui {

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

} // namespace gui
