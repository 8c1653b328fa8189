#include "gui/detail/DataInspectorFixed.h"

namespace gui {

void DataInspectorFixed::paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t row,
                                  int textWidth) {
    int width = textWidth + px(12);
    bool nearLeft = markerX_ < px(nearEdge);
    int left = nearLeft ? markerX_ + px(8) : px(4);
    int top = px(4) + px(boxPitch) * static_cast<int>(row);
    drawEntry(target, entry, left, top, nearLeft ? left + width : width, top + px(boxHeight));
}

} // namespace gui
