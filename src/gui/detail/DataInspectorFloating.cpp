#include "gui/detail/DataInspectorFloating.h"

namespace gui {

void DataInspectorFloating::paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t,
                                     int textWidth) {
    entry.side = markerX_ < bitmap_->width() - px(nearEdge) ? 0 : 1;
    int left = entry.side == 0 ? markerX_ + px(8) : markerX_ - textWidth - px(12);
    drawEntry(target, entry, left, entry.box.y, left + textWidth + px(4),
              entry.box.y + px(boxHeight));
}

} // namespace gui
