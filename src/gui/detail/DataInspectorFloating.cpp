#include "gui/detail/DataInspectorFloating.h"

namespace gui {

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

} // namespace gui
