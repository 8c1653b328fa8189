#pragma once

#include "gui/detail/DataInspector.h"

namespace gui {

// A column of boxes at the left edge, moved right of the marker when the marker is near it.
class DataInspectorFixed final : public DataInspector {
public:
    using DataInspector::DataInspector;
    void beforePaint(Bitmap<Pixel>& target) override;
};

// Boxes beside the marker, on its left when the marker is near the right edge.
class DataInspectorFloating final : public DataInspector {
public:
    using DataInspector::DataInspector;
    void beforePaint(Bitmap<Pixel>& target) override;
};

// Boxes left of the marker with a leader line to each point, right of it when there is no room.
class DataInspectorFree final : public DataInspector {
public:
    using DataInspector::DataInspector;
    void beforePaint(Bitmap<Pixel>& target) override;

protected:
    void clampSlots(std::vector<BoxSlot>& slots) override;
    void placeBox(InspectorBox& entry, const Sample& point, std::int32_t centre) override;
};

} // namespace gui
