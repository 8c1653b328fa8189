#pragma once

#include "gui/detail/DataInspector.h"

namespace gui {

// Boxes beside the marker, on its left when the marker is near the right edge.
class DataInspectorFloating final : public DataInspector {
public:
    using DataInspector::DataInspector;

protected:
    void paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t row,
                  int textWidth) override;
};

} // namespace gui
