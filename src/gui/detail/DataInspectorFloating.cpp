#include "gui/detail/DataInspectorFloating.h"

namespace gui {

void DataInspectorFloating::paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t,
                                     int textWidth) {
    entry.side = markerX_ < bitmap_->width() - nearEdge ? 0 : 1;
    int left = entry.side == 0 ? markerX_ + 8 : markerX_ - textWidth - 12;
    drawEntry(target, entry, left, entry.box.y, left + textWidth + 4, entry.box.y + 20);
}

} // namespace gui
