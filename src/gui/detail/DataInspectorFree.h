#pragma once

#include "gui/detail/DataInspector.h"

namespace gui {

// Boxes left of the marker with a leader line to each point, right of it when there is no room.
class DataInspectorFree final : public DataInspector {
public:
    using DataInspector::DataInspector;

protected:
    void paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t row,
                  int textWidth) override;
    void clampSlots(std::vector<BoxSlot>& slots) override;
    void placeBox(InspectorBox& entry, const Sample& point, std::int32_t centre) override;
};

} // namespace gui
