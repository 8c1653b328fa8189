#pragma once

#include "gui/detail/DataInspector.h"

namespace gui {

// A column of boxes at the left edge, moved right of the marker when the marker is near it.
class DataInspectorFixed final : public DataInspector {
public:
    using DataInspector::DataInspector;

protected:
    void paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t row,
                  int textWidth) override;
};

} // namespace gui
