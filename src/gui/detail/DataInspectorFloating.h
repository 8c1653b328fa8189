#pragma once

#include "gui/detail/DataInspector.h"

namespace gui {

// Boxes beside the marker, on its left when the marker is near the right edge.
class DataInspectorFloating final : public DataInspector {
public:
    using DataInspector::DataInspector;
    void beforePaint(Bitmap<Pixel>& target) override;
};

} // namespace gui
