#pragma once

#include "pixels/Bitmap.h"
#include "platform/Scale.h"

namespace gui {

// Reads values off the detail graph under the mouse: a marker on the nearest sample column and
// a box with each graph's value there.
class IDataInspector {
public:
    virtual ~IDataInspector() = default;
    // Rebuilds the marker (drawn into the graph's frame) and the boxes for the mouse at x.
    virtual void update(int mouseX) = 0;
    // Draws the boxes into the painted picture.
    virtual void beforePaint(Bitmap<Pixel>& target) = 0;
    // Draws the boxes' texts into the painted picture.
    virtual void afterPaint(Bitmap<Pixel>& target) = 0;
    // The graph is shown at this scale: boxes, marker and text grow with it.
    virtual void setScale(platform::Scale scale) = 0;
};

} // namespace gui
