#pragma once

#include "gui/detail/DataInspector.h"

namespace gui {

// A column of boxes at the left edge, moved right of the marker when the marker is near it.
class DataInspectorFixed final : public DataInspector {
public:
    using DataInspector::DataInspector;
    void beforePaint(Bitmap<Pixel>& target) override;
};

} // namespace gui
