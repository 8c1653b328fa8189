#pragma once

#include "gui/ColourConfiguration.h"
#include "monitoring/IDataBufferView.h"
#include "pixels/Bitmap.h"
#include "util/SharedPtrProvider.h"
#include "values/ConfigurationValues.h"

#include <cstdint>

namespace gui {

// The pixel row of value v in a picture of `height` rows scaled to `maximum`: row 0 holds the
// maximum, the bottom row 0. Rows outside the picture are returned as they are (the primitives
// clip them), kept within a range the drawing arithmetic cannot overflow.
int valueRow(double value, double maximum, int height);

// A coordinate computed in 64 bits, brought into a range the primitives take and clip.
int clampCoordinate(std::int64_t coordinate);

// The maximum a graph is drawn against: percentages without a fixed scale always use 100.
double effectiveMaximum(Units units, double maximum, bool fixedScale);

// Draws one graph, the samples of a view, into a picture. Keeps no state, so one instance can
// draw any number of graphs.
class RenderingMethod : public SharedPtrProvider<RenderingMethod> {
public:
    // dotPitch: the columns between adjacent samples; the newest sample sits at the right edge.
    virtual void render(Bitmap<Pixel>& bitmap,
                        const util::system::monitoring::IDataBufferView& view, int dotPitch,
                        const ColourConfiguration& colours, double maximum, bool fixedScale,
                        FillMode fillMode, float fillIntensity) const = 0;

protected:
    ~RenderingMethod() = default;
};

} // namespace gui
