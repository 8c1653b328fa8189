#pragma once

#include "gui/RenderingMethod.h"

namespace gui {

// An anti-aliased polyline through the samples, with an optional fill below it that shades from
// sample to sample (Gradient) or is one colour per segment (Flat).
class LineRenderingMethod final : public RenderingMethod {
public:
    void render(Bitmap<Pixel>& bitmap, const util::system::monitoring::IDataBufferView& view,
                int dotPitch, const ColourConfiguration& colours, double maximum, bool fixedScale,
                FillMode fillMode, float fillIntensity) const override;
};

} // namespace gui
