#pragma once

#include "gui/DisplayConfiguration.h"
#include "gui/IDataSet.h"
#include "pixels/Bitmap.h"

namespace gui {

// Draws one whole frame of a display: the background with its alert tint, the scale, the grid
// (pictures taller than any tray icon) or rounded corners (tray icons), the gauge lines and every
// graph. Leaves the scale maximum it used in display.computedMaximum. The caller holds the data
// set's shared lock; the data set's version sets the grid's phase.
void drawFrame(Bitmap<Pixel>& bitmap, DisplayConfiguration& display, const IDataSet& dataSet);

// How strongly a gauge line at `value` shows under the scale maximum `maximum`: rising to full
// from zero to a quarter of the maximum, full up to the maximum, fading to nothing at twice it.
float gaugeOpacity(double value, double maximum);

// How strongly a graph's average `average` tints the background, from 0 (no alert) to 1.
float alertIntensity(const Highlight& highlight, double average);

} // namespace gui
