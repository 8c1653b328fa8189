#include "gui/BarRenderingMethod.h"

namespace gui {

void BarRenderingMethod::render(Bitmap<Pixel>& bitmap,
                                const util::system::monitoring::IDataBufferView& view, int dotPitch,
                                const ColourConfiguration& colours, double maximum, bool fixedScale,
                                FillMode, float) const {
    const double scale = effectiveMaximum(view.getUnits(), maximum, fixedScale);
    const std::int64_t count = view.getSize();
    const std::int64_t pitch = dotPitch;
    const std::int64_t first = bitmap.width() - count * pitch + pitch / 2;
    const Colour zero = colours.colourAt(0.0);
    for (std::int64_t i = 1; i < count; ++i) { // the oldest sample gets no bar
        const double value = view.getValue(static_cast<int>(i));
        const std::int64_t left = first + i * pitch;
        bitmap.fillVerticalGradient(clampCoordinate(left), valueRow(value, scale, bitmap.height()),
                                    clampCoordinate(left + pitch), bitmap.height(),
                                    colours.colourAt(value), zero);
    }
}

} // namespace gui
