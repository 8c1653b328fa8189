#include "gui/detail/DataInspectorFixed.h"

namespace gui {

void DataInspectorFixed::paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t row,
                                  int textWidth) {
    int width = textWidth + 12;
    int left = markerX_ < nearEdge ? markerX_ + 8 : 4;
    int top = 4 + 24 * static_cast<int>(row);
    drawEntry(target, entry, left, top, markerX_ < nearEdge ? left + width : width, top + 20);
}

} // namespace gui
