#pragma once

#include "gui/RenderingMethod.h"

namespace gui {

// One bar per sample, fading from the colour of its value at the top to the colour of zero at
// the bottom. Adjacent bars touch; the newest is centred on the right edge.
class BarRenderingMethod final : public RenderingMethod {
public:
    void render(Bitmap<Pixel>& bitmap, const util::system::monitoring::IDataBufferView& view,
                int dotPitch, const ColourConfiguration& colours, double maximum, bool fixedScale,
                FillMode fillMode, float fillIntensity) const override;
};

} // namespace gui
